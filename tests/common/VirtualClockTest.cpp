#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VirtualClock.h"

namespace korvel::testing {
namespace {

TEST(VirtualClockTest, SleepFiresDueTimersInOrderOfDueTime) {
    VirtualClock clock;
    std::vector<std::string> log;
    const auto fast =
        clock.startTimer(20, [&] { log.push_back("20@" + std::to_string(clock.tickCount())); });
    clock.startTimer(50, [&] { log.push_back("50@" + std::to_string(clock.tickCount())); });
    clock.sleep(100);
    EXPECT_EQ(clock.tickCount(), 100);
    EXPECT_EQ(log, (std::vector<std::string>{"20@20", "20@40", "50@50", "20@60", "20@80", "50@100",
                                             "20@100"}));
    clock.stopTimer(fast);
    EXPECT_FALSE(clock.timerActive(fast));
    log.clear();
    clock.sleep(60);
    EXPECT_EQ(log, (std::vector<std::string>{"50@150"}));
}

TEST(VirtualClockTest, TimersStartedDuringAWaitFireToo) {
    VirtualClock clock;
    std::vector<std::int64_t> fired;
    clock.singleShot(10, [&] {
        fired.push_back(clock.tickCount());
        clock.singleShot(5, [&] { fired.push_back(clock.tickCount()); });
    });
    clock.waitFor(30);
    EXPECT_EQ(fired, (std::vector<std::int64_t>{10, 15}));
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST(VirtualClockTest, WaitUntilAdvancesToTheCondition) {
    VirtualClock clock;
    int ticks = 0;
    const auto id = clock.startTimer(1000, [&] { ++ticks; });
    EXPECT_TRUE(clock.waitUntil([&] { return ticks == 3; }));
    EXPECT_EQ(clock.tickCount(), 3000);
    EXPECT_FALSE(clock.waitUntil([&] { return ticks == 100; }, 2500));
    EXPECT_EQ(clock.tickCount(), 5500);
    clock.stopTimer(id);
    EXPECT_FALSE(clock.waitUntil([] { return false; })) << "nothing left to wait for";
}

TEST(VirtualClockTest, ProcessEventsRunsOnlyWhatIsDue) {
    VirtualClock clock;
    int now = 0;
    int later = 0;
    clock.singleShot(0, [&] { ++now; });
    clock.singleShot(1, [&] { ++later; });
    clock.processEvents();
    EXPECT_EQ(now, 1);
    EXPECT_EQ(later, 0);
    EXPECT_EQ(clock.tickCount(), 0);
}

TEST(VirtualClockTest, ATimerMayStopItself) {
    VirtualClock clock;
    int count = 0;
    Clock::TimerId id = 0;
    id = clock.startTimer(10, [&] {
        if (++count == 2) {
            clock.stopTimer(id);
        }
    });
    clock.sleep(100);
    EXPECT_EQ(count, 2);
}

}  // namespace
}  // namespace korvel::testing
