#pragma once

#include <QObject>
#include <map>

#include "core/Clock.h"
#include "core/ClockWatches.h"

class QTimer;

namespace korvel {

// The program's clock: Qt's monotonic timer, its event loop and window timers.
class QtClock : public Clock {
  public:
    QtClock();
    ~QtClock() override;

    std::int64_t tickCount() const override;
    void sleep(int ms) override;
    TimerId startTimer(int intervalMs, Callback callback) override;
    void stopTimer(TimerId id) override;
    bool timerActive(TimerId id) const override;
    void singleShot(int delayMs, Callback callback) override;
    TimerId resumeAfter(int delayMs, Callback callback) override;
    TimerId resumeWhen(std::function<bool()> done, Callback callback) override;

    // For the tests that drive real sockets and sounds, never for the
    // program: lets Qt's events run for `ms`, or until `done` holds (false
    // when `timeoutMs`, if not negative, passed first).
    void waitFor(int ms);
    bool waitUntil(const std::function<bool()>& done, std::int64_t timeoutMs = -1);

  private:
    void lookAtWatches();

    QObject m_context;
    ClockWatches m_watches;
    bool m_watching = false;
    std::map<TimerId, QTimer*> m_timers;
    TimerId m_nextId = 1;
};

}  // namespace korvel
