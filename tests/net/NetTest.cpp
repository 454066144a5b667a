// The network game's protocol: the messages, their decoding and the line
// reader's limits (data/messages.txt), and sessions joined by fake links on
// the virtual clock as golden transcripts (data/sessions.txt).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>

#include "CaseFile.h"
#include "VirtualClock.h"
#include "core/Texts.h"
#include "net/NetDoor.h"
#include "net/NetSession.h"
#include "net/NetworkPlayer.h"

namespace korvel {
namespace {

using testing::Args;
using testing::Escape;

// "ok" for a line that decodes and encodes back to itself, "ok:" and the
// encoding where it comes back otherwise (a hello of another version), or the error.
std::string DecodeOutcome(const std::string& line) {
    NetMessage message;
    if (const DecodeError error = DecodeMessage(line, message); error != DecodeError::None) {
        return DecodeErrorName(error);
    }
    const std::string again = EncodeMessage(message);
    return again == line + "\n" ? "ok" : "ok:" + Escape(again.substr(0, again.size() - 1));
}

// The pieces "TIME:BYTES" (BYTES*N: N times over) fed to one reader: the lines
// it gives (a run of equal ones as LINE*N) and its fault.
std::string ReadOutcome(const Args& args) {
    NetLineReader reader;
    std::vector<std::string> lines;
    NetLineReader::Fault fault{};
    for (const auto& a : args) {
        const auto colon = a.find(':'), star = a.rfind('*');
        std::string bytes =
            a.substr(colon + 1, star == std::string::npos ? star : star - colon - 1);
        for (int n = star == std::string::npos ? 1 : std::stoi(a.substr(star + 1)); n > 1; --n) {
            bytes += a.substr(colon + 1, star - colon - 1);
        }
        auto result = reader.feed(bytes, std::stoll(a.substr(0, colon)));
        lines.insert(lines.end(), result.lines.begin(), result.lines.end());
        fault = result.fault;
        EXPECT_LE(reader.pendingBytes(), kMaxNetLineBytes);
    }
    if (fault != NetLineReader::Fault::None) {  // spent: it refuses what follows
        EXPECT_TRUE(reader.feed("ping\n", 1'000'000).lines.empty());
    }
    std::string out;
    for (std::size_t i = 0, n = 1; i < lines.size(); i += n, n = 1) {
        while (i + n < lines.size() && lines[i + n] == lines[i]) {
            ++n;
        }
        const std::string line =
            lines[i].size() > 40 ? std::to_string(lines[i].size()) + "B" : lines[i];
        out += Escape(line) + (n > 1 ? "*" + std::to_string(n) : "") + " ";
    }
    return out + std::array{"none", "too-long", "flood"}[static_cast<int>(fault)];
}

TEST(NetMessages, CasesAsWritten) {
    testing::RunCaseFile("messages", [](const std::string& c, const Args& args) {
        std::string out;
        for (const auto& a : args) {
            out += (out.empty() ? "" : " ") + (c == "decode" ? DecodeOutcome(a)
                                               : c == "name" ? Escape(MakePlayerName(a))
                                                             : "");
        }
        return c == "read" ? ReadOutcome(args) : out;
    });
}

// Two sessions, host H and guest G, joined by fake links, or one alone with
// the test as its peer. Each command of data/sessions.txt gives what happened
// meanwhile, each after its virtual time: "H>" a line the host sent, "H:" a
// report to it, "H#" its link closed, "H state" its state after an action; the
// same with "G" for the guest.
class Sessions {
  public:
    std::string run(const std::string& c, const Args& a) {
        m_log.clear();
        if (c == "pair" || c == "solo") {  // pair HOSTCODE GUESTCODE [SETUP]; solo ROLE CODE
            m_sides.clear();               // before their clock
            m_clock = std::make_unique<testing::VirtualClock>();
            SetupMessage setup;
            NetMessage read;
            if (a.size() > 2 && DecodeMessage(a[2], read) == DecodeError::None) {
                setup = std::get<SetupMessage>(read);
            } else if (a.size() > 2) {  // out of range: the caller's fault
                std::sscanf(a[2].c_str(), "setup %d %d", &setup.gameType, &setup.secondsPerMove);
            }
            try {
                add(c == "pair" || a[0] == "host" ? 'H' : 'G', a[c == "pair" ? 0 : 1], setup);
                if (c == "pair") {
                    add('G', a[1], setup);
                }
            } catch (const std::invalid_argument&) {
                note("invalid");
            }
        } else if (c == "wait") {
            m_clock->advance(std::stoll(a[0]));
        } else if (c == "timers") {
            note("timers " + std::to_string(m_clock->pendingCount()));
        } else {
            act(*m_sides[c == "G" ? m_sides.size() - 1 : 0], a);  // H first
        }
        deliver();
        return testing::Joined(m_log, " | ", "-");
    }

  private:
    struct Side : NetLink, NetListener {
        Sessions* owner;
        char letter;
        std::unique_ptr<NetSession> session;
        std::string queued;  // sent, not yet delivered
        bool muted = false, closed = false, closeDelivered = false, destroyOnReport = false;
        void send(const std::string& bytes) override {
            std::string shown = bytes.substr(0, bytes.size() - 1);
            if (const auto at = shown.find(kVersionText); at != std::string::npos) {
                shown.replace(at, kVersionText.size(), "VER");
            }
            owner->note(std::string(1, letter) + ">" + shown);
            EXPECT_FALSE(closed) << "sent after closing its link";
            queued += muted ? "" : bytes;
        }
        void close() override {
            owner->note(std::string(1, letter) + "#");
            EXPECT_FALSE(closed) << "closed twice";
            closed = true;
        }
        void report(const std::string& what) {
            owner->note(std::string(1, letter) + ":" + what);
            const bool end = what.starts_with("failed") || what == "quit";
            EXPECT_EQ(session->isOpen(), !end) << "a report after the end, or open at it";
            if (destroyOnReport) {
                session.reset();
            }
        }
        void connected(const SetupMessage& s, const std::string& peer) override {
            const std::string line = EncodeMessage(s);
            report("connected " + line.substr(6, line.size() - 7) + " " + peer);
        }
        void moveReceived(int turn, int col, int row) override {
            report("move " + std::to_string(turn) + " " + std::to_string(col) + " " +
                   std::to_string(row));
        }
        void passReceived(int turn) override { report("pass " + std::to_string(turn)); }
        void timeOutReceived(int turn) override { report("timeout " + std::to_string(turn)); }
        void quitReceived() override { report("quit"); }
        void stageReceived(int stage) override { report("stage " + std::to_string(stage)); }
        void failed(NetFault fault) override {
            report("failed " + std::string(NetFaultName(fault)));
        }
    };

    void note(const std::string& what) {
        m_log.push_back(std::to_string(m_clock->tickCount()) + " " + what);
    }

    void add(char letter, const std::string& code, const SetupMessage& setup) {
        auto& s = *m_sides.emplace_back(std::make_unique<Side>());
        s.owner = this;
        s.letter = letter;
        NetSessionSettings settings;
        settings.role = letter == 'H' ? NetRole::Host : NetRole::Guest;
        settings.code = code;
        settings.playerName = letter == 'H' ? "Аня" : "Борис";
        settings.setup = setup;
        if (letter == 'H') {  // its keeper turns code 0000 away unread
            settings.admit = [code](const std::string& guess) {
                return guess == "0000" ? Admission::TryLater
                       : guess == code ? Admission::Admit
                                       : Admission::Wrong;
            };
        }
        s.session = std::make_unique<NetSession>(*m_clock, s, s, std::move(settings));
    }
    void act(Side& s, const Args& a) {
        const std::string& what = a[0];
        const int x = a.size() > 1 ? std::atoi(a[1].c_str()) : 0;
        const int y = a.size() > 2 ? std::atoi(a[2].c_str()) : 0;
        const int z = a.size() > 3 ? std::atoi(a[3].c_str()) : 0;
        bool sent = true;
        if (what == "mute" || what == "destroy-on-report") {
            (what == "mute" ? s.muted : s.destroyOnReport) = true;
        } else if (what == "fail") {
            for (int f = 0; f <= static_cast<int>(NetFault::EarlyTimeOut); ++f) {
                if (NetFaultName(NetFault(f)) == a[1]) {
                    s.session->fail(NetFault(f));
                }
            }
        } else {
            NetSession& n = *s.session;
            sent = what == "start"     ? (n.start(), true)
                   : what == "in"      ? (n.received(a[1]), true)
                   : what == "closed"  ? (n.linkClosed(), true)
                   : what == "close"   ? (n.close(), true)
                   : what == "move"    ? n.sendMove(x, y, z)
                   : what == "pass"    ? n.sendPass(x)
                   : what == "timeout" ? n.sendTimeOut(x)
                   : what == "quit"    ? n.sendQuit()
                   : what == "stage"   ? n.sendStage(x)
                                       : (ADD_FAILURE() << "no such action " << what, false);
        }
        const std::string state =
            s.session ? std::string(NetStateName(s.session->state())) : "gone";
        note(std::string(1, s.letter) + (sent ? " " : " refused " + what + " ") + state);
    }

    // Hands what each side sent to the other, then the end of its link, until
    // nothing is left to hand on.
    void deliver() {
        for (bool moved = m_sides.size() == 2; moved;) {
            moved = false;
            for (int i = 0; i < 2; ++i) {
                Side &from = *m_sides[i], &to = *m_sides[1 - i];
                const bool bytes = !from.queued.empty();
                const bool end = !bytes && from.closed && !from.closeDelivered;
                if (to.session && (bytes || end)) {
                    const std::string queued = std::move(from.queued);
                    from.queued.clear();
                    from.closeDelivered = end;
                    end ? to.session->linkClosed() : to.session->received(queued);
                    moved = true;
                }
            }
        }
    }

    std::unique_ptr<testing::VirtualClock> m_clock;
    std::vector<std::unique_ptr<Side>> m_sides;
    std::vector<std::string> m_log;
};

TEST(NetSessions, FlowsAsWritten) {
    Sessions sessions;
    testing::RunCaseFile("sessions", [&](auto& c, auto& a) { return sessions.run(c, a); });
}

// The turns of one side as data/turns.txt writes them: "new LOCAL TYPE SECONDS [START]"
// (START: a setup line's cells and first mover), then at virtual times "L KIND ... @MS" our
// own turn (the number it is sent with), "R KIND TURN ... @MS" the other side's (the verdict),
// "L stage N @MS" and "R stage N @MS" a stage's start, "watch @MS" the other side's
// clock looked at (the turn it lost by time, or 0); each answer ends with the state: the
// turn, the mover, the stage, and the other side's deadline.
TEST(NetTurnsCases, AsWritten) {
    std::optional<NetTurns> turns;
    testing::RunCaseFile("turns", [&](const std::string& c, const Args& a) -> std::string {
        if (c == "new") {
            NetMessage setup;
            std::optional<std::pair<Board, int>> start;
            if (a.size() > 3 &&
                DecodeMessage("setup 1 0 " + a[3] + " " + a[4], setup) == DecodeError::None) {
                start = FromNetStart(std::get<SetupMessage>(setup).start);
            }
            turns.emplace(std::stoi(a[0]), std::stoi(a[1]), std::stoi(a[2]), start);
            return "-";
        }
        const std::int64_t at = std::stoll(a.back().substr(1));
        const auto number = [&](std::size_t i) { return i + 1 < a.size() ? std::stoi(a[i]) : 0; };
        const auto kind = a[0] == "move"   ? NetTurns::Kind::Move
                          : a[0] == "pass" ? NetTurns::Kind::Pass
                                           : NetTurns::Kind::TimeOut;
        std::string out;
        if (c == "watch") {
            out = std::to_string(turns->remoteTimedOut(at));
        } else if (a[0] == "stage") {
            out = c == "R" ? (turns->remoteStage(number(1), at) ? "taken" : "refused")
                           : (turns->localStage(number(1), at), "-");
        } else if (c == "L") {
            out = std::to_string(turns->local(kind, number(1), number(2), at));
        } else {
            out = NetVerdictName(turns->remote(kind, number(1), number(2), number(3), at));
        }
        return out + " | turn " + std::to_string(turns->turn()) + " mover " +
               std::to_string(turns->mover()) + " stage " + std::to_string(turns->stage()) +
               (turns->over() ? " over" : "") + " deadline " +
               std::to_string(turns->remoteDeadline());
    });
}

// The host's keeper of the code as data/door.txt writes it: "door SEED" a keeper drawing
// from a seeded source; "guess ADDRESS CODE @MS" ("right": the code of the moment) gives
// what it made of it and what the host heard meanwhile; "fill N @MS" wrong guesses from N
// addresses, once each, the addresses remembered after.
TEST(NetDoorCases, AsWritten) {
    struct Seeded : CodeSource {
        std::mt19937 engine;
        std::uint32_t draw() override { return static_cast<std::uint32_t>(engine()); }
    } source;
    std::unique_ptr<NetDoor> door;
    std::string heard;
    testing::RunCaseFile("door", [&](const std::string& c, const Args& a) -> std::string {
        heard.clear();
        if (c == "door") {
            source.engine.seed(static_cast<std::uint32_t>(std::stoul(a[0])));
            door = std::make_unique<NetDoor>(source);
            door->firstWrongGuess = [&] { heard += " | heard wrong code"; };
            door->newCode = [&](const std::string& code) { heard += " | heard new code " + code; };
            return "code " + door->code();
        }
        const std::int64_t at = std::stoll(a.back().substr(1));
        if (c == "fill") {
            for (int i = 0; i < std::stoi(a[0]); ++i) {
                door->admit("10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256), "x",
                            at);
            }
            return std::to_string(door->addressCount()) + " addresses, code " + door->code();
        }
        const Admission admission = door->admit(a[0], a[1] == "right" ? door->code() : a[1], at);
        return std::string(std::array{"admit", "wrong", "try-later"}[static_cast<int>(admission)]) +
               heard;
    });
}

// Every fault has a recorded phrase in the phrase table and a text to show.
TEST(NetFaults, EachHasItsPhraseAndText) {
    const std::string table = testing::ReadBytes(KORVEL_PHRASE_TABLE);
    for (int f = 0; f <= static_cast<int>(NetFault::EarlyTimeOut); ++f) {
        const auto fault = static_cast<NetFault>(f);
        EXPECT_NE(table.find("\n" + std::string(NetFaultPhrase(fault)) + "\t"), std::string::npos)
            << NetFaultName(fault);
        EXPECT_GT(NetFaultText(fault).size(), 10u) << NetFaultName(fault);
    }
}

}  // namespace
}  // namespace korvel
