#pragma once

#include <cstdint>
#include <functional>

namespace korvel {

// The one clock service. Every pause, wait and window timer of the program goes
// through it, so that tests can run whole games in virtual time.
//
// Times are milliseconds. The real clock (QtClock) is Qt's event loop and
// timers; the virtual clock of the tests advances time only when the program
// sleeps or waits, firing due timers in order.
class Clock {
  public:
    using TimerId = int;
    using Callback = std::function<void()>;

    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start; 64-bit, so it never wraps.
    virtual std::int64_t tickCount() const = 0;

    // A fixed pause. In the program it does not let window events run.
    virtual void sleep(int ms) = 0;

    // Lets pending window events (key presses, due timers) run once.
    virtual void processEvents() = 0;

    // Waits `ms` milliseconds while letting window events run.
    virtual void waitFor(int ms) = 0;

    // Lets window events run until `done` returns true. Returns false when
    // `timeoutMs` (if not negative) passed first, or when the virtual clock
    // finds that nothing could ever make `done` true.
    virtual bool waitUntil(const std::function<bool()>& done, std::int64_t timeoutMs = -1) = 0;

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
    // something may have changed it. stopTimer cancels it.
    virtual TimerId resumeWhen(std::function<bool()> done, Callback callback) = 0;
};

}  // namespace korvel
