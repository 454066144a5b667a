#include "QtClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace korvel {
namespace {

const QElapsedTimer& ProcessTimer() {
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}

}  // namespace

QtClock::QtClock() {
    ProcessTimer();
}

QtClock::~QtClock() {
    for (auto& [id, timer] : m_timers) {
        delete timer;
    }
}

std::int64_t QtClock::tickCount() const {
    return ProcessTimer().elapsed();
}

void QtClock::sleep(int ms) {
    if (ms > 0) {
        QThread::msleep(static_cast<unsigned long>(ms));
    }
}

void QtClock::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// The waits sleep in the event loop until an event comes: a key, a window
// timer (the announcer's tick among them), the end of the wait. What other
// threads change without an event of ours (a sound that ends on the audio
// device's thread, the speech service answering) is looked at by a coarse
// wake-up, a few times a second.
namespace {

constexpr int kWakeUpMs = 100;

}  // namespace

void QtClock::waitFor(int ms) {
    const std::int64_t end = tickCount() + ms;
    if (ms <= 0) {
        return;
    }
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    for (std::int64_t left = ms; left > 0; left = end - tickCount()) {
        deadline.start(static_cast<int>(left));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

bool QtClock::waitUntil(const std::function<bool()>& done, std::int64_t timeoutMs) {
    const std::int64_t end = timeoutMs < 0 ? -1 : tickCount() + timeoutMs;
    QTimer wakeUp;
    wakeUp.setTimerType(Qt::CoarseTimer);
    wakeUp.start(kWakeUpMs);
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    while (!done()) {
        if (end >= 0) {
            const std::int64_t left = end - tickCount();
            if (left <= 0) {
                return false;
            }
            if (left < kWakeUpMs) {
                deadline.start(static_cast<int>(left));
            }
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

Clock::TimerId QtClock::startTimer(int intervalMs, Callback callback) {
    const TimerId id = m_nextId++;
    auto* timer = new QTimer(&m_context);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(intervalMs);
    QObject::connect(timer, &QTimer::timeout, &m_context, std::move(callback));
    timer->start();
    m_timers[id] = timer;
    return id;
}

void QtClock::stopTimer(TimerId id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) {
        it->second->stop();
        it->second->deleteLater();
        m_timers.erase(it);
    }
}

bool QtClock::timerActive(TimerId id) const {
    return m_timers.count(id) != 0;
}

void QtClock::singleShot(int delayMs, Callback callback) {
    QTimer::singleShot(delayMs, Qt::PreciseTimer, &m_context, std::move(callback));
}

}  // namespace korvel
