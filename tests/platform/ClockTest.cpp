// Both clocks go on with a wait for a condition alike: the condition found to
// hold is looked at again just before the wait goes on, so that what ran in
// between (a key, a socket's bytes, a timer of the same moment) counts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VirtualClock.h"
#include "platform/QtClock.h"

namespace korvel {
namespace {

using Log = std::vector<std::string>;

struct Row {
    std::string name;
    bool real;          // the program's clock under Qt's own loop, else the tests' clock
    bool holdsAtFirst;  // else it comes to hold 5 ms on, and is undone at once
    Log expected;
};

// The condition is undone, then held again 15 ms later: only then may the wait go on.
void Play(Clock& clock, const Row& row, bool& holds, Log& log) {
    holds = row.holdsAtFirst;
    clock.resumeWhen([&holds] { return holds; }, [&log] { log.push_back("resumed"); });
    const auto set = [&holds, &log](bool to, const char* note) {
        holds = to;
        log.push_back(note);
    };
    const auto undo = [&clock, set] {
        set(false, "undone");
        clock.singleShot(15, [set] { set(true, "again"); });
    };
    if (row.holdsAtFirst) {
        clock.singleShot(0, undo);
    } else {
        clock.singleShot(5, [&clock, set, undo] {
            set(true, "done");
            clock.singleShot(0, undo);  // the next timer of the same moment
        });
    }
}

class ClockResume : public ::testing::TestWithParam<Row> {};

TEST_P(ClockResume, LooksAgainJustBeforeTheWaitGoesOn) {
    const Row& row = GetParam();
    bool holds = false;
    Log log;
    if (row.real) {
        QtClock clock;
        Play(clock, row, holds, log);
        clock.waitUntil([&] { return log.size() >= row.expected.size(); }, 5000);
    } else {
        testing::VirtualClock clock;
        Play(clock, row, holds, log);
        clock.advance(100);
    }
    EXPECT_EQ(log, row.expected);
}

const Log kUndoneFirst = {"undone", "again", "resumed"};
const Log kDoneThenUndone = {"done", "undone", "again", "resumed"};

INSTANTIATE_TEST_SUITE_P(
    Clocks, ClockResume,
    ::testing::Values(Row{"Qt_HeldThenUndoneAtOnce", true, true, kUndoneFirst},
                      Row{"Virtual_HeldThenUndoneAtOnce", false, true, kUndoneFirst},
                      Row{"Qt_DoneThenUndoneInTheSameMoment", true, false, kDoneThenUndone},
                      Row{"Virtual_DoneThenUndoneInTheSameMoment", false, false, kDoneThenUndone}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace korvel
