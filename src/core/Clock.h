#pragma once

#include <cstdint>
#include <functional>

namespace korvel {

// The one clock service. Every pause, wait and window timer of the program goes
// through it, so that tests can run whole games in virtual time.
//
// Times are milliseconds. The real clock (QtClock) is Qt's event loop and
// timers; the virtual clock of the tests advances time only when the test
// lets it (or the program sleeps), firing due timers in order.
class Clock {
  public:
    using TimerId = int;
    using Callback = std::function<void()>;

    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start; 64-bit, so it never wraps.
    virtual std::int64_t tickCount() const = 0;

    // A fixed pause that lets nothing else run: only the way out pauses so,
    // boundedly, for its farewell. Everything else is awaited on the event
    // loop (resumeAfter, resumeWhen), never waited for in place.
    virtual void sleep(int ms) = 0;

    // A repeating window timer; the callback runs on the window thread every
    // `intervalMs` until stopTimer. Returns a non-zero id.
    virtual TimerId startTimer(int intervalMs, Callback callback) = 0;
    virtual void stopTimer(TimerId id) = 0;
    virtual bool timerActive(TimerId id) const = 0;

    // Runs `callback` once, `delayMs` from now, on the window thread.
    virtual void singleShot(int delayMs, Callback callback) = 0;

    // The continuation of a pause: runs `callback` once, `delayMs` from now,
    // after every other timer that falls due by then. stopTimer cancels it.
    virtual TimerId resumeAfter(int delayMs, Callback callback) = 0;
    // The continuation of a wait for a condition: runs `callback` once `done`
    // holds, looked at once the timers due now have run and again whenever
    // something may have changed it. A condition found to hold is looked at
    // once more just before the wait goes on, after what was already pending
    // has run: when it no longer holds, the wait goes on waiting. stopTimer
    // cancels it.
    virtual TimerId resumeWhen(std::function<bool()> done, Callback callback) = 0;
};

}  // namespace korvel
