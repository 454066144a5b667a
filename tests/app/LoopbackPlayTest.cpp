// The network game played by two whole programs over a real TCP connection on
// loopback, each in its own virtual time, driven only by keys through the
// menu. A line of data/loopback_flows.txt is "name | host's keys | guest's
// keys | until | options", each side's keys "first at, ms apart, keys" ("-" no
// key, "@MS" the next key at MS, "PORT" the host's port and "CODE" the code
// the host said, typed digit by digit). The two transcripts merged in time
// order ("H" the host's line, "G" the guest's) are the golden data/<name>.txt,
// the port's digits as "#" (a free port is taken). The host's machine has the
// address 192.0.2.10. Options: "start=FILE" the host's start.txt, "answer=KEY"
// answers every dialog of both sides, "ipv6" the flow needs ::1,
// "code=NNNN,NNNN,..." the codes the guest types for its first CODEs (the
// later ones type the host's), "forge=MS:LINE" the host's link sends LINE
// ("_" for its spaces) as it is, "router=MS:ANSWER" the host's router answers
// MS after it was asked (ANSWER as FakePortMapper::Parse reads it, "_" for its
// spaces; without it the router never answers, and what the host asks it is
// not shown), "close=MS" the host's window is closed by the window manager,
// "alone" the two never play (the guest never joins, or leaves first).
//
// The connection is real and the time virtual: the two clocks run in lockstep
// and the sockets are served only between their steps, until nothing is in
// flight (no join connecting, every byte sent by one side handled by the
// other, a closed end heard by the other); only then does time move on.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <array>
#include <set>
#include <sstream>

#include "Session.h"
#include "platform/TcpLink.h"

namespace korvel::testing {
namespace {

constexpr int kStepMs = 10;      // the two clocks never run further apart
constexpr int kSettleMs = 5000;  // real time one exchange on the socket may take

// One program. Its window (or its dialog) takes the keyboard whenever its
// clock runs, so that its keys and its dialogs' owners are its own.
struct Side : Session {
    explicit Side(std::uint32_t seed) : Session(seed) {}
    ~Side() override {
        clock.setPump([] { QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers); });
    }
    Side* other = nullptr;
    int port = 0;
    std::vector<std::string> codes;  // typed for the first CODEs instead of the host's
    std::size_t codesTyped = 0;
    std::set<std::string> portTimes;         // stamps of the typed port's digits
    QPointer<QWidget> holder;                // the window of this side that has the keyboard
    std::vector<QPointer<QWidget>> windows;  // its windows: the main one, and those it opened
    bool running = false;                    // this side's clock has something to do in this step

    bool owns(QWidget* w) const {
        return w != nullptr && std::find(windows.begin(), windows.end(), w) != windows.end();
    }
    const TcpLink* link() { return app->network().link(); }
    bool linked() { return link() != nullptr && link()->isOpen(); }
    void note() {
        if (!holder || !holder->isVisible()) {
            holder = &app->window();
        }
    }
    // A dialog this side has just shown (while its clock runs, or while the
    // sockets are served) is its window.
    void claimDialogs() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && !owns(w) && !other->owns(w)) {
                windows.emplace_back(w);
            }
        }
    }
    void pump() {
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        note();
        other->note();
        // Through the window system, as a player's click would: none of its
        // news is left to undo it later.
        for (int i = 0; running && i < 8 && QApplication::activeWindow() != holder; ++i) {
            holder->activateWindow();
            QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        }
    }
    void sendKey(const std::string& key) override {
        pump();  // its window has the keyboard when its key comes
        if (!key.starts_with("PORT") && !key.starts_with("CODE")) {
            return Session::sendKey(key);
        }
        const bool isPort = key[0] == 'P';
        codesTyped += key == "CODE0" ? 1 : 0;
        const std::size_t nth = codesTyped - 1;
        const std::string digits = isPort               ? std::to_string(other->port)
                                   : nth < codes.size() ? codes[nth]
                                                        : SaidCode(other->lines);
        const std::size_t at = static_cast<std::size_t>(key[4] - '0');
        if (isPort) {
            portTimes.insert(Stamp(now()));
        }
        if (at >= digits.size()) {
            ADD_FAILURE() << "at " << now() << " ms the host has said no " << key;
            return;
        }
        Session::sendKey(std::string(1, digits[at]));
    }
    void pressFlow(const std::string& field) {
        std::istringstream words(field);
        std::int64_t at = 0, step = 0;
        words >> at >> step;
        for (std::string key; words >> key;) {
            if (key.starts_with("@")) {
                at = std::stoll(key.substr(1));
                continue;
            }
            const int count = key == "PORT" ? 5 : key == "CODE" ? 4 : 0;
            for (int i = 0; i < std::max(count, 1); ++i, at += step) {
                if (key != "-") {
                    press(at, count ? key + std::to_string(i) : key);
                }
            }
        }
    }
};

// Each side's window that the window system made active last holds its
// keyboard, as if each program had a screen of its own: activations asked
// for while the sockets are served come in any order.
struct Activations : QObject {
    std::array<Side*, 2> sides{};
    bool eventFilter(QObject* target, QEvent* event) override {
        auto* w = qobject_cast<QWidget*>(target);
        for (Side* side : sides) {
            if (event->type() == QEvent::WindowActivate && w && w->isWindow() && side->owns(w)) {
                side->holder = w;
            }
        }
        return false;
    }
};

// Serves the sockets until nothing is in flight between the two sides.
bool Settle(Side& h, Side& g, std::int64_t at) {
    const auto settled = [&] {
        return !h.app->network().joining() && !g.app->network().joining() &&
               h.linked() == g.linked() &&
               (!h.linked() || (h.link()->bytesSent() == g.link()->bytesReceived() &&
                                g.link()->bytesSent() == h.link()->bytesReceived()));
    };
    QElapsedTimer real;
    real.start();
    if (!settled()) {
        // The sides' waits look again at what came (the virtual clock looks
        // at them after a timer), at once.
        h.clock.singleShot(0, [] {});
        g.clock.singleShot(0, [] {});
    }
    while (!settled()) {
        if (real.elapsed() > kSettleMs) {
            ADD_FAILURE() << "the connection did not settle at " << at << " ms";
            return false;
        }
        QCoreApplication::processEvents();
        if (!settled()) {
            QThread::msleep(1);
        }
    }
    h.note();
    g.note();
    return true;
}

std::vector<std::string> PlayLoopbackFlow(const std::string& flow) {
    const std::vector<std::string> field = Split(flow, '|');
    std::map<std::string, std::string> option;
    std::istringstream options(field.size() > 4 ? field[4] : "");
    for (std::string word; options >> word;) {
        option[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
    }
    // Qt's own event loop, which holds the sockets back while the clocks run
    // (GLib's serves them regardless).
    qputenv("QT_NO_GLIB", "1");
    Side host(1), guest(2);
    if (QAbstractEventDispatcher::instance()->inherits("QEventDispatcherGlib")) {
        ADD_FAILURE() << "the sockets cannot be held back while the clocks run";
        return {};
    }
    host.other = &guest;
    guest.other = &host;
    Activations activations;
    activations.sides = {&host, &guest};
    qApp->installEventFilter(&activations);
    host.port = FreePort();
    if (host.port == 0) {
        ADD_FAILURE() << "no free port";
        return {};
    }
    host.setIni("Net", "port", std::to_string(host.port));
    if (option.count("start")) {
        host.writeFile("start.txt", ReadBytes(std::string(std::getenv("KORVEL_TEST_DATA")) + "/" +
                                              option["start"]));
    }
    host.app->network().localAddresses = [] { return std::vector<std::string>{"192.0.2.10"}; };
    host.app->network().globalAddresses = [] { return std::vector<std::string>{}; };
    guest.codes = Split(option["code"], ',');
    host.app->StartUp();
    guest.app->StartUp();
    if (option.count("router")) {
        std::string words = option["router"].substr(option["router"].find(':') + 1);
        std::replace(words.begin(), words.end(), '_', ' ');
        host.portMapper.plan.push_back({std::stoi(option["router"]), FakePortMapper::Parse(words)});
        // Also from the end of the program, when the side is only a session.
        host.portMapper.onLine = [&device = host.device,
                                  port = std::to_string(host.port)](std::string line) {
            if (const auto at = line.find(port); at != std::string::npos) {
                line.replace(at, port.size(), "#####");
            }
            device.write(line);
        };
    }
    if (option.count("close")) {
        host.clock.singleShot(std::stoi(option["close"]), [&host] { host.app->window().close(); });
    }
    if (option.count("forge")) {  // "MS:LINE", "_" for its spaces
        std::string line = option["forge"].substr(option["forge"].find(':') + 1) + "\n";
        std::replace(line.begin(), line.end(), '_', ' ');
        host.clock.singleShot(std::stoi(option["forge"]), [&host, line] {
            if (TcpLink* link = host.app->network().link()) {
                link->send(line);
            }
        });
    }
    // The effects have one device, the guest's: opening it closed the host's,
    // which opens again for the host's phrases, its queue afresh.
    host.device.open();
    host.app->announcer().Clear();
    for (Side* side : {&host, &guest}) {
        side->clock.setPump([side] { side->pump(); });
        side->app->dialogs().observer =
            [side, report = side->app->dialogs().observer](const DialogRecord& record) {
                report(record);
                side->claimDialogs();
            };
        side->answerKey = option["answer"];
        side->holder = &side->app->window();
        side->windows.emplace_back(side->holder);
        side->app->ShowMenu(true);
        side->pressFlow(side == &host ? field.at(1) : field.at(2));
    }
    bool connected = false;
    std::uint64_t sent[2] = {0, 0};
    for (std::int64_t t = kStepMs; t <= std::stoll(field.at(3)); t += kStepMs) {
        // A side that waited in place ran ahead: the other catches up.
        for (int pass = 0; pass < 8 && (host.now() != t || guest.now() != t); ++pass) {
            for (Side* side : {&host, &guest}) {
                side->running = side->clock.nextDue() <= t;
                side->runUntil(t);
                side->running = false;
            }
            t = (std::max({t, host.now(), guest.now()}) + kStepMs - 1) / kStepMs * kStepMs;
        }
        if (!Settle(host, guest, t)) {
            break;
        }
        if (host.linked() && guest.linked()) {
            connected = true;
            sent[0] = host.link()->bytesSent();
            sent[1] = guest.link()->bytesSent();
        }
    }
    EXPECT_TRUE(connected || option.count("code") || option.count("alone"))
        << "the two programs never connected";
    for (Side* side : {&host, &guest}) {
        MaskSaidPort(side->lines);
        for (std::string& line : side->lines) {
            if (side->portTimes.count(line.substr(0, 8)) && line.size() == 14 &&
                std::isdigit(static_cast<unsigned char>(line.back()))) {
                line.back() = '#';
            }
        }
    }
    std::vector<std::string> lines = MergeSides(host.lines, guest.lines);
    lines.push_back("bytes sent: host " + std::to_string(sent[0]) + ", guest " +
                    std::to_string(sent[1]));
    // What each shows at the end: its menu page (7 the host's wait, 6 the code field).
    lines.push_back("menu page: host " + std::to_string(host.app->menu().page()) + ", guest " +
                    std::to_string(guest.app->menu().page()));
    for (Side* side : {&host, &guest}) {
        lines.push_back(std::string(side == &host ? "host  " : "guest ") + "board " +
                        (side->boardShown() ? "shown " : "hidden ") + GameState(side->game()));
    }
    return lines;
}

class Loopback : public ::testing::TestWithParam<std::string> {};

TEST_P(Loopback, BothProgramsHearIt) {
    if (GetParam().find("ipv6") != std::string::npos) {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHostIPv6, 0)) {
            GTEST_SKIP() << "::1 is not available here: " << probe.errorString().toStdString();
        }
    }
    ExpectGolden(PlayLoopbackFlow(GetParam()), FirstWord(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Net, Loopback, ::testing::ValuesIn(DataLines("loopback_flows.txt")),
                         [](const auto& info) { return FirstWord(info.param); });

}  // namespace
}  // namespace korvel::testing
