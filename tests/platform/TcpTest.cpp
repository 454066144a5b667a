// The TCP link of the network game on loopback only (127.0.0.1 and ::1): real
// sockets on the real clock, every wait bounded; the time limit on the virtual clock.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include "VirtualClock.h"
#include "platform/QtClock.h"
#include "platform/TcpHost.h"
#include "platform/TcpJoin.h"

namespace korvel {
namespace {

constexpr int kWaitMs = 5000;  // bound of every wait for the network

// One end of a connection as the tests see it.
struct End {
    std::unique_ptr<TcpLink> link;
    std::string received;
    int closed = 0;

    void take(std::unique_ptr<TcpLink> taken, bool dropOnClose = false) {
        link = std::move(taken);
        link->onBytes = [this](const std::string& bytes) { received += bytes; };
        link->onClosed = [this, dropOnClose] {
            ++closed;
            if (dropOnClose) {
                link.reset();  // the link may end itself from its own news
            }
        };
    }
};

struct Answer {
    std::unique_ptr<TcpLink> link;
    std::vector<JoinFailure> failures;
    int count() const { return (link ? 1 : 0) + static_cast<int>(failures.size()); }
};

class TcpTest : public ::testing::Test {
  protected:
    void TearDown() override {
        // The closing sockets are gone before the next test. Deletions asked
        // for outside the event loop are run by hand: the tests have no loop.
        guest.link.reset();
        visitor.link.reset();
        host.stop();
        EXPECT_TRUE(clock.waitUntil(
            [] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                return qApp->findChildren<QTcpSocket*>().isEmpty();
            },
            kWaitMs));
    }
    bool waitFor(const std::function<bool()>& done) { return clock.waitUntil(done, kWaitMs); }
    void join(TcpJoin& joiner, Answer& answer, const std::string& host, int port) {
        joiner.onConnected = [&answer](std::unique_ptr<TcpLink> link) {
            answer.link = std::move(link);
        };
        joiner.onFailed = [&answer](JoinFailure failure, const std::string& text) {
            EXPECT_FALSE(text.empty());
            answer.failures.push_back(failure);
        };
        joiner.start(host, port);
    }
    // A host on a free port with its guest and a joiner's end connected to it.
    void connectPair(const std::string& address) {
        host.busyLine = "bye busy\n";
        host.onGuest = [this](std::unique_ptr<TcpLink> link) { guest.take(std::move(link)); };
        ASSERT_TRUE(host.listen(0)) << host.errorText();
        Answer answer;
        join(joiner, answer, address, host.port());
        ASSERT_TRUE(waitFor([&] { return answer.count() > 0 && guest.link; }));
        ASSERT_TRUE(answer.link);
        visitor.take(std::move(answer.link));
    }

    QtClock clock;
    TcpHost host{clock};
    TcpJoin joiner{clock};
    End guest;    // the host's side
    End visitor;  // the joiner's side
};

class TcpAddressTest : public TcpTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TcpAddressTest, BytesGoBothWaysInPiecesAndThePeersEndIsToldOnce) {
    connectPair(GetParam());
    EXPECT_EQ(guest.link->peerAddress(), std::string(GetParam()) == "[::1]" ? "::1" : "127.0.0.1");
    visitor.link->send("hello ");
    visitor.link->send("host\nmove d3\n");
    std::string big;
    for (int i = 0; big.size() < 200000; ++i) {
        big += "line " + std::to_string(i) + "\n";
    }
    for (std::size_t at = 0; at < big.size(); at += 4000) {
        ASSERT_TRUE(guest.link->send(big.substr(at, 4000)));
        ASSERT_TRUE(
            waitFor([&] { return visitor.received.size() >= std::min(big.size(), at + 4000); }));
    }
    EXPECT_EQ(visitor.received, big);
    EXPECT_TRUE(waitFor([&] { return guest.received == "hello host\nmove d3\n"; }));

    // The last words go out before the close, and the other side hears of it once.
    visitor.link->send("bye\n");
    visitor.link->close();
    EXPECT_FALSE(visitor.link->send("more\n"));
    ASSERT_TRUE(waitFor([&] { return guest.closed > 0; }));
    clock.waitFor(100);
    EXPECT_EQ(guest.received, "hello host\nmove d3\nbye\n");
    EXPECT_EQ(guest.closed, 1);
    EXPECT_EQ(visitor.closed, 0);
    EXPECT_FALSE(guest.link->isOpen());
}

INSTANTIATE_TEST_SUITE_P(Loopback, TcpAddressTest,
                         ::testing::Values("127.0.0.1", "[::1]", " localhost "));

TEST_F(TcpTest, ASecondCallerHearsTheBusyLineUntilTheGuestIsGone) {
    connectPair("127.0.0.1");
    TcpJoin other(clock);
    Answer second, third;
    join(other, second, "::1", host.port());
    ASSERT_TRUE(waitFor([&] { return second.count() > 0; }));
    ASSERT_TRUE(second.link);
    End caller;
    caller.take(std::move(second.link), true);
    ASSERT_TRUE(waitFor([&] { return caller.closed > 0; }));
    EXPECT_EQ(caller.received, "bye busy\n");
    EXPECT_EQ(caller.closed, 1);
    EXPECT_FALSE(caller.link);
    EXPECT_TRUE(guest.link->isOpen());

    // Once the guest is gone the next caller is the guest.
    host.guestGone();
    guest.link.reset();
    join(other, third, "127.0.0.1", host.port());
    ASSERT_TRUE(waitFor([&] { return third.count() > 0 && guest.link; }));
    End newcomer;
    newcomer.take(std::move(third.link));
    clock.waitFor(100);
    EXPECT_EQ(newcomer.received, "");
    EXPECT_EQ(newcomer.closed, 0);
    EXPECT_TRUE(host.holdsGuest());
}

TEST_F(TcpTest, ATakenPortIsReportedWithItsReason) {
    ASSERT_TRUE(host.listen(0));
    TcpHost second(clock);
    EXPECT_FALSE(second.listen(host.port()));
    EXPECT_FALSE(second.errorText().empty());
    EXPECT_FALSE(second.listen(65536));
}

struct FailureCase {
    const char* host;
    int port;  // 0: a port nobody listens on
    JoinFailure failure;
};

class TcpFailureTest : public TcpTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TcpFailureTest, AFailedJoinIsReportedOnce) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::Any));
    const int port = GetParam().port != 0 ? GetParam().port : closed.serverPort();
    closed.close();
    Answer answer;
    join(joiner, answer, GetParam().host, port);
    EXPECT_EQ(answer.count(), 0);  // answered from the event loop
    ASSERT_TRUE(waitFor([&] { return answer.count() > 0; }));
    clock.waitFor(100);
    ASSERT_EQ(answer.count(), 1);
    ASSERT_EQ(answer.failures.size(), 1u);
    EXPECT_EQ(answer.failures[0], GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(Loopback, TcpFailureTest,
                         ::testing::Values(FailureCase{"127.0.0.1", 0, JoinFailure::Refused},
                                           FailureCase{"[::1]", 0, JoinFailure::Refused},
                                           FailureCase{"  ", 7717, JoinFailure::Unreachable},
                                           FailureCase{"127.0.0.1", 65536,
                                                       JoinFailure::Unreachable}));

// A guest that reads nothing: its buffers fill, then ours, and at the cap the
// link gives up instead of growing.
TEST_F(TcpTest, APeerThatReadsNothingClosesTheLinkAtTheWriteCap) {
    host.onGuest = [this](std::unique_ptr<TcpLink> link) { guest.take(std::move(link)); };
    ASSERT_TRUE(host.listen(0));
    QTcpSocket deaf;
    deaf.setReadBufferSize(1);
    deaf.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(host.port()));
    ASSERT_TRUE(waitFor([&] { return guest.link != nullptr; }));
    const std::string piece(4096, 'x');
    std::int64_t sent = 0;
    for (int i = 0; i < 8192 && guest.link->send(piece); ++i) {
        sent += static_cast<std::int64_t>(piece.size());
        clock.processEvents();
    }
    EXPECT_FALSE(guest.link->isOpen());
    EXPECT_GT(sent, TcpLink::kWriteCap);
    EXPECT_TRUE(waitFor([&] { return guest.closed > 0; }));
    clock.waitFor(100);
    EXPECT_EQ(guest.closed, 1);
}

// A host that never answers: its queue of callers is full and it takes none.
TEST_F(TcpTest, AJoinThatGetsNoAnswerEndsAtTheTimeLimit) {
    QTcpServer full;
    full.setListenBacklogSize(0);
    ASSERT_TRUE(full.listen(QHostAddress::LocalHost));
    full.pauseAccepting();
    QTcpSocket filler;
    filler.connectToHost(QHostAddress::LocalHost, full.serverPort());
    ASSERT_TRUE(waitFor([&] { return filler.state() == QAbstractSocket::ConnectedState; }));

    testing::VirtualClock virtualClock;
    TcpJoin late(virtualClock);
    Answer answer;
    join(late, answer, "127.0.0.1", full.serverPort());
    clock.waitFor(300);
    virtualClock.advance(TcpJoin::kTimeLimitMs - 1);
    EXPECT_EQ(answer.count(), 0);
    virtualClock.advance(1);
    clock.waitFor(100);
    ASSERT_EQ(answer.count(), 1);
    EXPECT_EQ(answer.failures, std::vector<JoinFailure>{JoinFailure::TimedOut});
}

TEST(LocalAddressesTest, AreUpIPv4AddressesOtherThanLoopbackInOrder) {
    std::vector<std::uint32_t> seen;
    for (const std::string& text : LocalAddresses()) {
        QHostAddress address;
        ASSERT_TRUE(address.setAddress(QString::fromStdString(text))) << text;
        EXPECT_EQ(address.protocol(), QAbstractSocket::IPv4Protocol);
        EXPECT_FALSE(address.isLoopback());
        EXPECT_TRUE(seen.empty() || seen.back() < address.toIPv4Address()) << text;
        seen.push_back(address.toIPv4Address());
    }
}

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
