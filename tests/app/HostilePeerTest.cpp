// A hosting program against strangers and a hostile guest over real sockets
// on loopback, in virtual time. data/hostile_script.txt holds the host's keys
// and the peers' doings at virtual times ("MS key KEY", "MS open NAME [FROM]",
// "MS send NAME TEXT", "MS close NAME", "MS idle N": N connections that say
// nothing, each opened again as the host closes it until "MS calm"); in TEXT
// "\s" is a space, "\n" a line end, "CODE" the code the host said last and
// "WRONG" another. The transcript (data/hostile_peer.txt) merges what the host
// said and showed ("H") with what each peer was sent ("G NAME < LINE") and its
// end ("G NAME closed"); the idle connections are counted at the end. Sockets
// are served between the clock's steps until nothing moves, as in
// LoopbackPlayTest.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <iterator>
#include <sstream>

#include "CaseFile.h"
#include "Session.h"
#include "core/Texts.h"

namespace korvel::testing {
namespace {

struct Peer {
    std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
    std::string got;  // bytes not yet a whole line
    bool closed = false, idle = false;
};

TEST(HostilePeer, TheGameStillBeginsAndPlays) {
    qputenv("QT_NO_GLIB", "1");
    Session host(1);
    const int port = FreePort();
    host.setIni("Net", "port", std::to_string(port));
    host.app->network().localAddresses = [] { return std::vector<std::string>{"192.0.2.10"}; };
    host.app->StartUp();
    host.answerKey = "Enter";
    host.clock.setPump([] { QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers); });
    host.app->ShowMenu(true);
    std::map<std::string, Peer> peers;
    std::vector<std::string> notes;
    std::multimap<std::int64_t, std::vector<std::string>> script;
    std::int64_t until = 0;
    for (const std::string& line : DataLines("hostile_script.txt")) {
        std::istringstream words(line);
        std::int64_t at = 0;
        words >> at;
        const std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        until = std::max(until, at);
        w[0] == "key" ? host.press(at, w[1]) : (void)script.emplace(at, w);
    }
    int reopened = 0;
    bool calm = false;  // the idle connections are no longer opened again
    const auto open = [&](Peer& p, const std::string& from) {
        if (!from.empty()) {
            p.socket->bind(QHostAddress(QString::fromStdString(from)));
        }
        p.socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        p.socket->waitForConnected(2000);
    };
    const auto said = [&](const std::string& what) {  // the code, as the host said it last
        const std::string code = SaidCode(host.lines);
        return what == "CODE" ? code : std::to_string(1000 + (std::stoi(code) + 1) % 9000);
    };
    for (std::int64_t t = 0; t <= until; t += 100) {
        host.runUntil(t);
        const std::string stamp = Stamp(t) + " ";
        for (auto [at, end] = script.equal_range(t); at != end; ++at) {
            const auto& w = at->second;
            if (w[0] == "calm" || w[0] == "idle") {
                calm = w[0] == "calm";
                for (int i = 0; !calm && i < std::stoi(w[1]); ++i) {
                    Peer& idle = peers["idle" + std::to_string(i)];
                    idle.idle = true;
                    open(idle, "");
                }
                continue;
            }
            Peer& p = peers[w[1]];
            if (w[0] == "open") {
                open(p, w.size() > 2 ? w[2] : "");
            } else if (w[0] == "send") {
                std::string text = Unescape(w[2]);
                for (const char* word : {"CODE", "WRONG"}) {
                    if (const auto i = text.find(word); i != std::string::npos) {
                        text.replace(i, std::strlen(word), said(word));
                    }
                }
                p.socket->write(text.data(), static_cast<qint64>(text.size()));
            } else {
                p.socket->close();
            }
        }
        for (auto& [name, p] : peers) {
            p.socket->flush();
        }
        // Served until a round brings nothing new.
        for (int quiet = 0, round = 0; quiet < 3 && round < 500; ++round) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
            bool moved = false;
            for (auto& [name, p] : peers) {
                const QByteArray bytes = p.socket->readAll();
                p.got += bytes.toStdString();
                moved = moved || !bytes.isEmpty();
                for (std::size_t end; (end = p.got.find('\n')) != std::string::npos;) {
                    std::string line = p.got.substr(0, end);
                    if (const auto v = line.find(kVersionText); v != std::string::npos) {
                        line.replace(v, kVersionText.size(), "VER");
                    }
                    if (!p.idle) {
                        notes.push_back(stamp + name + " < " + line);
                    }
                    p.got.erase(0, end + 1);
                }
                if (!p.closed && p.socket->state() == QAbstractSocket::UnconnectedState) {
                    moved = p.closed = true;
                    if (!p.idle) {
                        notes.push_back(stamp + name + " closed");
                    } else if (!calm) {  // a stranger keeps its connections up
                        ++reopened;
                        p = Peer{};
                        p.idle = true;
                        open(p, "");
                    }
                }
            }
            quiet = moved ? 0 : quiet + 1;
        }
    }
    MaskSaidPort(host.lines);
    std::vector<std::string> lines = MergeSides(host.lines, notes);
    lines.push_back("idle connections the host closed, each opened again: " +
                    std::to_string(reopened));
    lines.push_back("host board " + std::string(host.boardShown() ? "shown " : "hidden ") +
                    GameState(host.game()));
    ExpectGolden(lines, "hostile_peer");
    host.clock.setPump([] { QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers); });
}

}  // namespace
}  // namespace korvel::testing
