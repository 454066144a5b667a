// The network game's TCP link on loopback only, every wait bounded.

#include <gmock/gmock.h>

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

// One end of a connection, or the answer to a join, as the tests see it.
struct End {
    std::unique_ptr<TcpLink> link;
    std::string received;
    int closed = 0;
    std::vector<JoinFailure> failures;
    bool drop = false;  // the link may end itself from its own news
    int answers() const { return (link ? 1 : 0) + static_cast<int>(failures.size()); }
    void take(std::unique_ptr<TcpLink> taken) {
        link = std::move(taken);
        link->onBytes = [this](const std::string& bytes) { received += bytes; };
        link->onClosed = [this] {
            ++closed;
            if (drop) {
                link.reset();
            }
        };
    }
    void join(TcpJoin& joiner, const std::string& host, int port) {
        joiner.onConnected = [this](std::unique_ptr<TcpLink> taken) { take(std::move(taken)); };
        joiner.onFailed = [this](JoinFailure failure, const std::string& text) {
            EXPECT_FALSE(text.empty());
            failures.push_back(failure);
        };
        joiner.start(host, port);
    }
};

class TcpTest : public ::testing::Test {
  protected:
    void TearDown() override {
        // Closing sockets go before the next test (deletions run by hand: no event loop).
        guest.link.reset();
        visitor.link.reset();
        host.stop();
        EXPECT_TRUE(waitFor([] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return qApp->findChildren<QTcpSocket*>().isEmpty();
        }));
    }
    bool waitFor(const std::function<bool()>& done) { return clock.waitUntil(done, 5000); }
    void listen() {
        host.busyLine = "bye busy\n";
        host.onCaller = [this](std::unique_ptr<TcpLink> link) {
            host.holdGuest(true);
            guest.take(std::move(link));
        };
        ASSERT_TRUE(host.listen(0)) << host.errorText();
    }
    void connectPair(const std::string& address) {
        listen();
        visitor.join(joiner, address, host.port());
        ASSERT_TRUE(waitFor([&] { return visitor.answers() > 0 && guest.link; }));
        ASSERT_TRUE(visitor.link);
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
    EXPECT_THAT(guest.link->peerAddress(), ::testing::AnyOf("127.0.0.1", "::1"));
    visitor.link->send("hello ");
    visitor.link->send("host\nmove d3\n");
    std::string all;  // more than the write cap, sent as the reader keeps up
    for (int i = 0; i < 50; ++i) {
        all += std::string(4000, static_cast<char>('a' + i % 26));
        ASSERT_TRUE(guest.link->send(all.substr(all.size() - 4000)));
        ASSERT_TRUE(waitFor([&] { return visitor.received.size() + 8000 > all.size(); }));
    }
    EXPECT_TRUE(waitFor([&] { return visitor.received == all; }));
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
    End second, third;
    second.drop = true;
    second.join(other, "::1", host.port());
    ASSERT_TRUE(waitFor([&] { return second.closed > 0; }));
    EXPECT_EQ(second.received, "bye busy\n");
    EXPECT_TRUE(guest.link->isOpen());
    // Once the guest is gone the next caller is the guest.
    host.holdGuest(false);
    guest.link.reset();
    third.join(other, "127.0.0.1", host.port());
    ASSERT_TRUE(waitFor([&] { return third.answers() > 0 && guest.link; }));
    TcpHost taken(clock);  // the port is in use
    EXPECT_FALSE(taken.listen(host.port()));
    EXPECT_FALSE(taken.errorText().empty());
}

using FailureCase = std::tuple<const char*, int, JoinFailure>;  // host, port (0: closed), answer
class TcpFailureTest : public TcpTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TcpFailureTest, AFailedJoinIsReportedOnceFromTheEventLoop) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::Any));
    const auto [address, given, failure] = GetParam();
    const int port = given != 0 ? given : closed.serverPort();
    closed.close();
    visitor.join(joiner, address, port);
    EXPECT_EQ(visitor.answers(), 0);
    ASSERT_TRUE(waitFor([&] { return visitor.answers() > 0; }));
    clock.waitFor(100);
    EXPECT_EQ(visitor.failures, std::vector<JoinFailure>{failure});
}

const FailureCase kFailures[] = {{"127.0.0.1", 0, JoinFailure::Refused},
                                 {"[::1]", 0, JoinFailure::Refused},
                                 {"  ", 7717, JoinFailure::Unreachable},
                                 {"127.0.0.1", 65536, JoinFailure::Unreachable}};
INSTANTIATE_TEST_SUITE_P(Loopback, TcpFailureTest, ::testing::ValuesIn(kFailures));

// A guest that reads nothing: its buffers fill, then ours, then the link gives up.
TEST_F(TcpTest, APeerThatReadsNothingClosesTheLinkAtTheWriteCap) {
    listen();
    QTcpSocket deaf;
    deaf.setReadBufferSize(1);
    deaf.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(host.port()));
    ASSERT_TRUE(waitFor([&] { return guest.link != nullptr; }));
    int pieces = 0;  // of 4 KB
    for (; pieces < 8192 && guest.link->send(std::string(4096, 'x')); ++pieces) {
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(guest.link->isOpen());
    EXPECT_GT(pieces * 4096, TcpLink::kWriteCap);
    EXPECT_TRUE(waitFor([&] { return guest.closed > 0; }));
    clock.waitFor(100);
    EXPECT_EQ(guest.closed, 1);
}

// A host whose queue of callers is full and that takes none never answers.
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
    visitor.join(late, "127.0.0.1", full.serverPort());
    clock.waitFor(300);
    virtualClock.advance(TcpJoin::kTimeLimitMs - 1);
    EXPECT_EQ(visitor.answers(), 0);
    virtualClock.advance(1);
    EXPECT_EQ(visitor.failures, std::vector<JoinFailure>{JoinFailure::TimedOut});
    EXPECT_EQ(visitor.answers(), 1);
}

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
