// The network game's protocol: messages and their decoding (data/messages.txt),
// the line reader's limits, and two sessions joined by fake links on the
// virtual clock, as golden transcripts (data/sessions.txt).
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <stdexcept>

#include "CaseFile.h"
#include "VirtualClock.h"
#include "core/Texts.h"
#include "net/NetSession.h"

namespace korvel {
namespace {

using testing::Args;
using testing::Escape;
using testing::RunCaseFile;

// "ok" for a line that decodes and encodes back to itself, "ok:" and the
// encoding where it comes back otherwise (a hello of another version), or the error.
std::string DecodeOutcome(const std::string& line) {
    NetMessage message;
    const DecodeError error = DecodeMessage(line, message);
    if (error != DecodeError::None) {
        return DecodeErrorName(error);
    }
    std::string again = EncodeMessage(message);
    again.pop_back();
    return again == line ? "ok" : "ok:" + Escape(again);
}

std::string JoinEach(const Args& args, const std::function<std::string(const std::string&)>& f) {
    std::string out;
    for (const auto& a : args) {
        out += (out.empty() ? "" : " ") + f(a);
    }
    return out;
}

TEST(NetMessages, CasesAsWritten) {
    RunCaseFile("messages", [](const std::string& c, const Args& args) -> std::string {
        if (c == "decode") {
            return JoinEach(args, DecodeOutcome);
        }
        if (c == "name") {
            return JoinEach(args, [](auto& a) { return Escape(MakePlayerName(a)); });
        }
        ADD_FAILURE() << "no such case command: " << c;
        return "unknown command";
    });
}

// Every name MakePlayerName gives is one a hello carries.
TEST(NetMessages, MadeNamesAreSendable) {
    for (int seed = 0; seed < 2000; ++seed) {
        std::string typed;
        for (int i = 0; i < seed % 90; ++i) {
            typed += static_cast<char>((seed * 7919 + i * 104729) % 256);
        }
        EXPECT_EQ(CheckPlayerName(MakePlayerName(typed)), DecodeError::None) << Escape(typed);
    }
}

// The reader: the pieces fed at the given times, the lines it gives and its fault.
struct ReaderCase {
    const char* name;
    std::vector<std::pair<std::int64_t, std::string>> pieces;
    std::vector<std::string> lines;
    NetLineReader::Fault fault;
};

std::string Repeat(const std::string& s, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += s;
    }
    return out;
}

std::vector<std::string> Lines(const std::string& line, std::size_t n) {
    return std::vector<std::string>(n, line);
}

class NetReader : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(NetReader, GivesWholeLinesWithinItsLimits) {
    NetLineReader reader;
    std::vector<std::string> lines;
    NetLineReader::Fault fault = NetLineReader::Fault::None;
    for (const auto& [time, bytes] : GetParam().pieces) {
        auto result = reader.feed(bytes, time);
        lines.insert(lines.end(), result.lines.begin(), result.lines.end());
        fault = result.fault;
        EXPECT_LE(reader.pendingBytes(), kMaxNetLineBytes);
    }
    EXPECT_EQ(lines, GetParam().lines);
    EXPECT_EQ(fault, GetParam().fault);
    if (fault != NetLineReader::Fault::None) {  // spent: it refuses what follows
        const auto after = reader.feed("ping\n", 1'000'000);
        EXPECT_TRUE(after.lines.empty());
        EXPECT_EQ(after.fault, fault);
    }
}

using F = NetLineReader::Fault;
const std::string kLongest(kMaxNetLineBytes, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, NetReader,
    ::testing::Values(
        ReaderCase{"PiecesJoin",
                   {{0, "mo"}, {0, "ve 1"}, {5, " 2\npi"}, {9, "ng\n\n"}},
                   {"move 1 2", "ping", ""},
                   F::None},
        ReaderCase{"UnfinishedWaits", {{0, "pass\nqu"}, {0, "it"}}, {"pass"}, F::None},
        ReaderCase{"LongestLineTaken", {{0, kLongest}, {0, "\n"}}, {kLongest}, F::None},
        ReaderCase{"OneByteMoreRefusedBeforeItsEnd",
                   {{0, "ping\n" + kLongest}, {0, "y"}},
                   {"ping"},
                   F::LineTooLong},
        ReaderCase{"RefusedInOnePiece", {{0, kLongest + "yz\nping\n"}}, {}, F::LineTooLong},
        ReaderCase{"FiftyLinesInASecondTaken",
                   {{0, Repeat("ping\n", 25)}, {999, Repeat("ping\n", 25)}},
                   Lines("ping", 50),
                   F::None},
        ReaderCase{"TheFiftyFirstIsAFlood",
                   {{0, Repeat("ping\n", 30)}, {999, Repeat("ping\n", 30)}},
                   Lines("ping", 50),
                   F::Flood},
        ReaderCase{"ASecondLaterAgain",
                   {{0, Repeat("ping\n", 50)}, {1000, Repeat("ping\n", 50)}},
                   Lines("ping", 100),
                   F::None},
        ReaderCase{"SlidingWindow",
                   {{0, Repeat("ping\n", 10)},
                    {500, Repeat("ping\n", 40)},
                    {1000, Repeat("ping\n", 10)},
                    {1001, "ping\n"}},
                   Lines("ping", 60),
                   F::Flood}),
    [](const auto& info) { return std::string(info.param.name); });

// Two sessions joined by fake links, or one alone with the test as its peer.
// Every command of data/sessions.txt gives what happened meanwhile: "H>"
// a line the host sent, "H:" a report to it, "H#" its link closed; the same
// with "G" for the guest; each after the virtual time it happened at.
class Sessions {
  public:
    std::string run(const std::string& c, const Args& a) {
        m_log.clear();
        if (c == "pair" || c == "solo") {  // pair HOSTCODE GUESTCODE [TYPE SECONDS [CELLS FIRST]]
            m_sides.clear();
            m_clock = std::make_unique<testing::VirtualClock>();
            SetupMessage setup;
            if (a.size() >= 4) {  // the setup after the two words
                setup.gameType = std::stoi(a[2]);
                setup.secondsPerMove = std::stoi(a[3]);
                if (a.size() >= 6) {
                    NetStartPosition start;
                    for (std::size_t i = 0; i < 64; ++i) {
                        start.cells[i] = static_cast<std::uint8_t>(a[4][i] - '0');
                    }
                    start.firstPlayer = std::stoi(a[5]);
                    setup.start = start;
                }
            }
            if (c == "pair") {
                add('H', NetRole::Host, a[0], "Аня", setup);
                add('G', NetRole::Guest, a[1], "Борис", setup);
            } else {  // solo ROLE CODE [TYPE SECONDS]: one session, the test its peer
                const bool host = a[0] == "host";
                add(host ? 'H' : 'G', host ? NetRole::Host : NetRole::Guest, a[1], "Аня", setup);
            }
        } else if (c == "wait") {
            m_clock->advance(std::stoll(a[0]));
        } else if (c == "timers") {
            note("timers " + std::to_string(m_clock->pendingCount()));
        } else {
            act(side(c), a);
        }
        deliver();
        std::string out;
        for (const auto& entry : m_log) {
            out += (out.empty() ? "" : " | ") + entry;
        }
        return out.empty() ? "-" : out;
    }

  private:
    struct Side;
    struct Link : NetLink {
        Side* side;
        void send(const std::string& bytes) override;
        void close() override;
    };
    struct Listener : NetListener {
        Side* side;
        void connected(const SetupMessage& s, const std::string& peer) override {
            std::string line = EncodeMessage(s);
            line.pop_back();
            report("connected " + line.substr(6) + " " + peer);
        }
        void moveReceived(int col, int row) override {
            report("move " + std::to_string(col) + " " + std::to_string(row));
        }
        void passReceived() override { report("pass"); }
        void timeOutReceived() override { report("timeout"); }
        void quitReceived() override { report("quit"); }
        void stageReceived(int stage) override { report("stage " + std::to_string(stage)); }
        void failed(NetFault fault) override {
            report("failed " + std::string(NetFaultName(fault)));
        }
        void report(const std::string& what);
    };
    struct Side {
        Sessions* owner;
        char letter;
        Link link;
        Listener listener;
        std::unique_ptr<NetSession> session;
        std::string queued;  // sent, not yet delivered
        bool muted = false;  // what it sends is lost
        bool closed = false, closeDelivered = false;
    };

    void note(const std::string& what) {
        m_log.push_back(std::to_string(m_clock->tickCount()) + " " + what);
    }

    void add(char letter, NetRole role, const std::string& code, const std::string& name,
             const SetupMessage& setup) {
        auto& s = *m_sides.emplace_back(std::make_unique<Side>());
        s.owner = this;
        s.letter = letter;
        s.link.side = &s;
        s.listener.side = &s;
        s.session = std::make_unique<NetSession>(*m_clock, s.link, s.listener,
                                                 NetSessionSettings{role, code, name, setup});
    }

    Side& side(const std::string& letter) {
        for (auto& s : m_sides) {
            if (std::string(1, s->letter) == letter) {
                return *s;
            }
        }
        throw std::invalid_argument("no side " + letter);
    }

    void act(Side& s, const Args& a) {
        NetSession& n = *s.session;
        const std::string& what = a[0];
        bool sent = true;
        if (what == "start") {
            n.start();
        } else if (what == "in") {  // bytes from the peer
            n.received(a[1]);
        } else if (what == "closed") {
            n.linkClosed();
        } else if (what == "mute") {
            s.muted = true;
        } else if (what == "fail") {
            for (int f = 0; f <= static_cast<int>(NetFault::TimedOut); ++f) {
                if (NetFaultName(NetFault(f)) == a[1]) {
                    n.fail(NetFault(f));
                }
            }
        } else if (what == "close") {
            n.close();
        } else if (what == "move") {
            sent = n.sendMove(std::stoi(a[1]), std::stoi(a[2]));
        } else if (what == "pass") {
            sent = n.sendPass();
        } else if (what == "timeout") {
            sent = n.sendTimeOut();
        } else if (what == "quit") {
            sent = n.sendQuit();
        } else if (what == "stage") {
            sent = n.sendStage(std::stoi(a[1]));
        } else {
            ADD_FAILURE() << "no such action: " << what;
        }
        if (!sent) {
            note(std::string(1, s.letter) + " refused " + what);
        }
        note(std::string(1, s.letter) + " " + std::string(NetStateName(n.state())));
    }

    // Hands what each side sent to the other, and then the end of its link,
    // until nothing is left to hand on.
    void deliver() {
        if (m_sides.size() != 2) {
            return;
        }
        for (bool moved = true; moved;) {
            moved = false;
            for (int i = 0; i < 2; ++i) {
                Side& from = *m_sides[i];
                NetSession& to = *m_sides[1 - i]->session;
                if (!from.queued.empty()) {
                    const std::string bytes = std::move(from.queued);
                    from.queued.clear();
                    to.received(bytes);
                    moved = true;
                } else if (from.closed && !from.closeDelivered) {
                    from.closeDelivered = true;
                    to.linkClosed();
                    moved = true;
                }
            }
        }
    }

    std::unique_ptr<testing::VirtualClock> m_clock;
    std::vector<std::unique_ptr<Side>> m_sides;
    std::vector<std::string> m_log;
};

void Sessions::Link::send(const std::string& bytes) {
    std::string shown = bytes;
    shown.pop_back();
    for (auto at = shown.find(kVersionText); at != std::string::npos;
         at = shown.find(kVersionText)) {
        shown.replace(at, kVersionText.size(), "VER");
    }
    side->owner->note(std::string(1, side->letter) + ">" + shown);
    EXPECT_FALSE(side->closed) << "sent after closing its link";
    if (!side->muted) {
        side->queued += bytes;
    }
}

void Sessions::Link::close() {
    side->owner->note(std::string(1, side->letter) + "#");
    EXPECT_FALSE(side->closed) << "closed twice";
    side->closed = true;
}

void Sessions::Listener::report(const std::string& what) {
    side->owner->note(std::string(1, side->letter) + ":" + what);
    EXPECT_TRUE(side->session->isOpen() ==
                (what.find("failed") == std::string::npos && what != "quit"))
        << "a report of the end with the session open, or another report after it";
}

TEST(NetSessions, FlowsAsWritten) {
    Sessions sessions;
    RunCaseFile("sessions", [&](auto& c, auto& a) { return sessions.run(c, a); });
}

// A listener that destroys its session at the first report, from inside a
// call that brought more lines: the session touches nothing of itself after.
TEST(NetSessions, AReportMayDestroyTheSession) {
    struct Quiet : NetLink {
        void send(const std::string&) override {}
        void close() override {}
    } link;
    struct Destroyer : NetListener {
        std::unique_ptr<NetSession> session;
        int reports = 0;
        void connected(const SetupMessage&, const std::string&) override {
            session.reset();
            ++reports;
        }
        void moveReceived(int, int) override { ++reports; }
        void passReceived() override {}
        void timeOutReceived() override {}
        void quitReceived() override {}
        void stageReceived(int) override {}
        void failed(NetFault) override {
            session.reset();
            ++reports;
        }
    } listener;
    testing::VirtualClock clock;
    for (const std::string& bytes : {std::string("hello 1 1.3.8 1234 Аня\nsetup 1 0\nmove 1 1\n"),
                                     "hello 1 1.3.8 1234 Аня\nsetup 1 0\n" + kLongest}) {
        listener.reports = 0;
        listener.session = std::make_unique<NetSession>(
            clock, link, listener, NetSessionSettings{NetRole::Guest, "1234", "Борис", {}});
        listener.session->start();
        listener.session->received(bytes);
        EXPECT_EQ(listener.reports, 1);
        EXPECT_EQ(clock.pendingCount(), 0u);
    }
}

TEST(NetSessions, ASetupOutOfItsRangesIsTheCallersFault) {
    struct Quiet : NetLink {
        void send(const std::string&) override {}
        void close() override {}
    } link;
    testing::VirtualClock clock;
    struct None : NetListener {
        void connected(const SetupMessage&, const std::string&) override {}
        void moveReceived(int, int) override {}
        void passReceived() override {}
        void timeOutReceived() override {}
        void quitReceived() override {}
        void stageReceived(int) override {}
        void failed(NetFault) override {}
    } listener;
    for (const auto& [code, setup] :
         std::vector<std::pair<std::string, SetupMessage>>{{"123", {}},
                                                           {"12a4", {}},
                                                           {"1234", {2, 0, {}}},
                                                           {"1234", {5, 0, {}}},
                                                           {"1234", {1, 0, NetStartPosition{}}}}) {
        EXPECT_THROW(NetSession(clock, link, listener, {NetRole::Host, code, "x", setup}),
                     std::invalid_argument)
            << code;
    }
}

// Every fault has a recorded phrase in the phrase table and a text to show.
TEST(NetFaults, EachHasItsPhraseAndText) {
    const std::string table = testing::ReadBytes(KORVEL_PHRASE_TABLE);
    for (int f = 0; f <= static_cast<int>(NetFault::TimedOut); ++f) {
        const auto fault = static_cast<NetFault>(f);
        EXPECT_NE(table.find("\n" + std::string(NetFaultPhrase(fault)) + "\t"), std::string::npos)
            << NetFaultName(fault);
        EXPECT_GT(NetFaultText(fault).size(), 10u) << NetFaultName(fault);
    }
}

}  // namespace
}  // namespace korvel
