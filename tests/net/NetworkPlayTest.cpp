// Two sides of a network game, each the game with its fake window, joined by
// the protocol over a link of fixed virtual delay, and played by two scripted
// players. A line of data/network_flows.txt is "name | type minutes | host's
// first key at, ms apart | host's keys | guest's | guest's keys | until |
// options"; the two transcripts, merged in time order ("H" the host's line,
// "G" the guest's), are the golden data/<name>.txt. Options: "code=NNNN" the
// guest's code; "cut=MS" the host's side of the connection breaks;
// "forge=MS:LINE" the host's link sends LINE as it is; "answer=KEY" answers every dialog of both
// sides; "start=FILE" the host's start position. A forged LINE has "_" for its spaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "FlowScript.h"
#include "GameSession.h"
#include "net/NetworkPlayer.h"
#include "records/StartPosition.h"

namespace korvel::testing {
namespace {

constexpr int kDelayMs = 20;  // the link's delay each way
constexpr int kStepMs = 10;   // the two clocks never run further apart

// One side's link: what it sends reaches the other side kDelayMs later, on
// the other side's clock; closing it tells the other side so.
struct DelayLink : NetLink {
    GameSession* to = nullptr;
    std::unique_ptr<NetworkPlayer>* peer = nullptr;
    bool closed = false;
    std::size_t bytesSent = 0;

    void deliver(std::function<void(NetSession&)> what) {
        to->clock.singleShot(kDelayMs, [peer = peer, what = std::move(what)] {
            if (*peer) {
                what((*peer)->session());
            }
        });
    }
    void send(const std::string& bytes) override {
        if (!closed) {
            bytesSent += bytes.size();
            deliver([bytes](NetSession& s) { s.received(bytes); });
        }
    }
    void close() override {
        if (!closed) {
            closed = true;
            deliver([](NetSession& s) { s.linkClosed(); });
        }
    }
};

std::vector<std::string> Field(const std::string& line, std::size_t index) {
    std::vector<std::string> fields;
    for (std::size_t from = 0, bar = 0; bar != std::string::npos; from = bar + 1) {
        fields.push_back(line.substr(from, (bar = line.find('|', from)) - from));
    }
    std::istringstream words(index < fields.size() ? fields[index] : "");
    return {std::istream_iterator<std::string>(words), {}};
}

std::vector<std::string> PlayNetworkFlow(const std::string& flow) {
    const auto number = [&](std::size_t field, std::size_t at) {
        return std::stoi(Field(flow, field).at(at));
    };
    std::map<std::string, std::string> option;
    for (const std::string& word : Field(flow, 7)) {
        option[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
    }
    GameSession host(1), guest(2);
    std::unique_ptr<NetworkPlayer> hostPlayer, guestPlayer;
    DelayLink toGuest, toHost;
    toGuest.to = &guest;
    toGuest.peer = &guestPlayer;
    toHost.to = &host;
    toHost.peer = &hostPlayer;
    host.startUp();
    guest.startUp();
    // The effects have one device, the guest's: opening it closed the host's,
    // which opens again for the host's phrases, its queue afresh.
    host.device.open();
    host.mm.Clear();

    host.answerKey = guest.answerKey = option["answer"];

    NetSessionSettings hostSettings{NetRole::Host, "4821", "Хозяин", {}};
    hostSettings.setup.gameType = number(1, 0);
    hostSettings.setup.secondsPerMove = number(1, 1) * 60;
    NetSessionSettings guestSettings{
        NetRole::Guest, option.count("code") ? option["code"] : "4821", "Гость", {}};
    auto starting = [](GameSession& side) { return [&side] { side.showBoard(); }; };
    auto noteFault = [](GameSession& side) {
        return [&side](NetFault fault) {
            side.device.write("fault before the game " + std::string(NetFaultName(fault)));
        };
    };
    std::optional<std::pair<Board, int>> start;
    if (option.count("start")) {
        Board board;
        const int first = ReadStartPosition(
            std::filesystem::path(std::getenv("KORVEL_TEST_DATA")) / option["start"], board);
        start = std::pair{board, first};
        hostSettings.setup.start = ToNetStart(start);
    }
    hostPlayer =
        std::make_unique<NetworkPlayer>(host.clock, host.game(), toGuest, hostSettings, start,
                                        NetworkPlayer::Hooks{starting(host), noteFault(host)});
    guestPlayer = std::make_unique<NetworkPlayer>(
        guest.clock, guest.game(), toHost, guestSettings, std::nullopt,
        NetworkPlayer::Hooks{starting(guest), noteFault(guest)});
    hostPlayer->session().start();
    guestPlayer->session().start();
    host.pressAll(number(2, 0), number(2, 1), Field(flow, 3));
    guest.pressAll(number(4, 0), number(4, 1), Field(flow, 5));
    if (option.count("cut")) {
        host.clock.singleShot(std::stoi(option["cut"]), [&] { toGuest.close(); });
    }
    if (option.count("forge")) {
        const std::string forged = option["forge"];
        const std::string line = forged.substr(forged.find(':') + 1);
        host.clock.singleShot(std::stoi(forged), [&toGuest, text = line] {
            std::string bytes = text;
            std::replace(bytes.begin(), bytes.end(), '_', ' ');
            toGuest.send(bytes + "\n");
        });
    }
    const int until = number(6, 0);
    for (int t = kStepMs; t <= until; t += kStepMs) {
        host.runUntil(t);
        guest.runUntil(t);
    }
    std::vector<std::string> lines = MergeSides(host.lines, guest.lines);
    lines.push_back("bytes sent: host " + std::to_string(toGuest.bytesSent) + ", guest " +
                    std::to_string(toHost.bytesSent));
    lines.push_back("host  " + GameState(host.game()));
    lines.push_back("guest " + GameState(guest.game()));
    return lines;
}

class NetworkFlow : public ::testing::TestWithParam<std::string> {};

TEST_P(NetworkFlow, BothSidesHearIt) {
    ExpectGolden(PlayNetworkFlow(GetParam()), FirstWord(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Net, NetworkFlow, ::testing::ValuesIn(DataLines("network_flows.txt")),
                         [](const auto& info) { return FirstWord(info.param); });

}  // namespace
}  // namespace korvel::testing
