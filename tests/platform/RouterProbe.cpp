// One side of the real-router test (RouterTest.cpp), run inside a network
// namespace with `ip netns exec`. Each line it prints is one event, flushed.
//
//   router_probe host PORT CODE   listens on PORT, asks the router through the
//       real mapper to forward it ("answer mapped igd|natpmp ADDRESS PORT lease S
//       after MS", "answer norouter|refused after MS"), plays the host's side of
//       the handshake with the first caller ("guest NAME"); on "stop" or the end
//       of its input gives the port back ("removed yes|no") and ends.
//   router_probe guest ADDRESS PORT CODE   connects and plays the guest's side
//       ("connected TYPE SECONDS HOSTNAME", or "failed WHY").
//
// Either ends by itself after kLifeMs whatever happens.
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "net/NetSession.h"
#include "platform/QtClock.h"
#include "platform/RouterPortMapper.h"
#include "platform/TcpHost.h"
#include "platform/TcpJoin.h"

namespace korvel {
namespace {

constexpr int kLifeMs = 30000;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The session's link over the TCP link, and what the session reports, said.
struct Side : NetLink, NetListener {
    std::unique_ptr<TcpLink> tcp;
    std::unique_ptr<NetSession> session;
    void send(const std::string& bytes) override { tcp->send(bytes); }
    void close() override { tcp->close(); }
    void connected(const SetupMessage& setup, const std::string& peer) override {
        Say(session->role() == NetRole::Host
                ? "guest " + peer
                : "connected " + std::to_string(setup.gameType) + " " +
                      std::to_string(setup.secondsPerMove) + " " + peer);
        if (session->role() == NetRole::Guest) {
            QCoreApplication::exit(0);
        }
    }
    void moveReceived(int, int) override {}
    void passReceived() override {}
    void timeOutReceived() override {}
    void quitReceived() override {}
    void stageReceived(int) override {}
    void failed(NetFault fault) override {
        Say("failed " + std::string(NetFaultName(fault)));
        if (session->role() == NetRole::Guest) {
            QCoreApplication::exit(1);
        }
    }
    void begin(std::unique_ptr<TcpLink> link, Clock& clock, NetSessionSettings settings) {
        tcp = std::move(link);
        session = std::make_unique<NetSession>(clock, *this, *this, std::move(settings));
        tcp->onBytes = [this](const std::string& bytes) { session->received(bytes); };
        tcp->onClosed = [this] { session->linkClosed(); };
        session->start();
    }
};

std::string Outcome(const PortMapAnswer& answer) {
    switch (answer.outcome) {
        case PortMapAnswer::Outcome::Mapped:
            return std::string("mapped ") + (answer.way == PortMapWay::Igd ? "igd " : "natpmp ") +
                   answer.externalAddress + " " + std::to_string(answer.externalPort) + " lease " +
                   std::to_string(answer.leaseSeconds);
        case PortMapAnswer::Outcome::Refused:
            return "refused";
        default:
            return "norouter";
    }
}

int Host(int port, const std::string& code) {
    QtClock clock;
    TcpHost host(clock);
    if (!host.listen(port)) {
        Say("cannot listen: " + host.errorText());
        return 1;
    }
    Side side;
    host.onGuest = [&](std::unique_ptr<TcpLink> link) {
        side.begin(std::move(link), clock,
                   NetSessionSettings{NetRole::Host, code, "Хозяин", SetupMessage{1, 0, {}}});
    };
    RouterPortMapper mapper;
    const auto asked = std::chrono::steady_clock::now();
    mapper.map(port, 1200, "", [asked](const PortMapAnswer& answer) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - asked);
        Say("answer " + Outcome(answer) + " after " + std::to_string(ms.count()) + " ms");
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char bytes[64];
        const auto got = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (got <= 0 || std::string(bytes, static_cast<std::size_t>(got)).find("stop") == 0) {
            input.setEnabled(false);
            mapper.remove();
            Say(std::string("removed ") + (mapper.finishRemoval(5000) ? "yes" : "no"));
            QCoreApplication::exit(0);
        }
    });
    return QCoreApplication::exec();
}

int Guest(const std::string& address, int port, const std::string& code) {
    QtClock clock;
    TcpJoin join(clock);
    Side side;
    join.onConnected = [&](std::unique_ptr<TcpLink> link) {
        side.begin(std::move(link), clock,
                   NetSessionSettings{NetRole::Guest, code, "Гость", SetupMessage{}});
    };
    join.onFailed = [](JoinFailure, const std::string& text) {
        Say("failed " + text);
        QCoreApplication::exit(1);
    };
    join.start(address, port);
    return QCoreApplication::exec();
}

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string role = argc > 1 ? argv[1] : "";
    korvel::QtClock life;
    life.singleShot(korvel::kLifeMs, [] {
        korvel::Say("out of time");
        QCoreApplication::exit(3);
    });
    if (role == "host" && argc == 4) {
        return korvel::Host(std::atoi(argv[2]), argv[3]);
    }
    if (role == "guest" && argc == 5) {
        return korvel::Guest(argv[2], std::atoi(argv[3]), argv[4]);
    }
    std::fprintf(stderr, "usage: router_probe host PORT CODE | guest ADDRESS PORT CODE\n");
    return 2;
}
