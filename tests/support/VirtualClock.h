#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "core/Clock.h"
#include "core/ClockWatches.h"

namespace korvel::testing {

// The clock of the tests. Time stands still until the program sleeps or waits;
// then it jumps from one due timer to the next, firing each in order of due
// time (timers started meanwhile included), so that minutes of play pass in
// microseconds. processEvents fires what is due now without moving time.
class VirtualClock : public Clock {
  public:
    std::int64_t tickCount() const override { return m_now; }
    void sleep(int ms) override { advance(ms); }
    TimerId startTimer(int intervalMs, Callback callback) override;
    void stopTimer(TimerId id) override;
    bool timerActive(TimerId id) const override;
    void singleShot(int delayMs, Callback callback) override;
    TimerId resumeAfter(int delayMs, Callback callback) override;
    TimerId resumeWhen(std::function<bool()> done, Callback callback) override;

    // Moves time forward by `ms`, firing every timer that falls due on the way.
    void advance(std::int64_t ms);
    void waitFor(int ms) { advance(ms); }
    // Fires what is due now, without moving time.
    void processEvents();
    // Moves time on until `done` holds; false when `timeoutMs` (if not
    // negative) passed first, or when nothing could ever make `done` true.
    bool waitUntil(const std::function<bool()>& done, std::int64_t timeoutMs = -1);
    // Runs before every fired timer and whenever the program lets events run:
    // the tests of window code pass Qt's own event processing here, so that
    // focus changes and posted events happen as they would between real ticks.
    void setPump(std::function<void()> pump) { m_pump = std::move(pump); }
    // Number of active timers, pending single shots and waits.
    std::size_t pendingCount() const { return m_timers.size() + m_watches.size(); }
    // When the earliest timer falls due (INT64_MAX when none is set).
    std::int64_t nextDue() const;

  private:
    struct Timer {
        std::int64_t due;
        int interval;  // 0 for a single shot
        Callback callback;
        std::uint64_t order;  // start order breaks ties between equal due times
        bool last = false;    // a continuation: after the other timers of its time
    };
    // Looks at the waits, as the program's clock does when its loop falls
    // idle: each that holds goes on after the timers due now, if it still holds then.
    void checkWatches();
    void lookAt(TimerId id);
    void after(Callback callback);  // once the timers due now have run
    // Fires the earliest timer due at or before `limit`; false when none is.
    bool fireNext(std::int64_t limit);

    std::int64_t m_now = 0;
    TimerId m_nextId = 1;
    std::uint64_t m_nextOrder = 0;
    std::map<TimerId, Timer> m_timers;
    ClockWatches m_watches;
    int m_depth = 0;
    std::function<void()> m_pump;
};

}  // namespace korvel::testing
