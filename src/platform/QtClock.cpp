#include "platform/QtClock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>

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
    m_watches.erase(id);
    auto it = m_timers.find(id);
    if (it != m_timers.end()) {
        it->second->stop();
        it->second->deleteLater();
        m_timers.erase(it);
    }
}

Clock::TimerId QtClock::resumeAfter(int delayMs, Callback callback) {
    const TimerId id = m_nextId++;
    auto* timer = new QTimer(&m_context);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(true);
    timer->setInterval(std::max(delayMs, 0));
    QObject::connect(timer, &QTimer::timeout, &m_context,
                     [this, id, callback = std::move(callback)] {
                         stopTimer(id);
                         callback();
                     });
    timer->start();
    m_timers[id] = timer;
    return id;
}

// A condition waited for changes with an event (a key, a timer, the
// announcer's tick): it is looked at whenever the event loop has run what was
// pending and is about to sleep, so a wait costs nothing while nothing happens.
// A condition that holds is answered from the loop, not from inside its check.
Clock::TimerId QtClock::resumeWhen(std::function<bool()> done, Callback callback) {
    const TimerId id = m_nextId++;
    m_watches.add(id, std::move(done), std::move(callback));
    if (!m_watching) {
        m_watching = true;
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock, &m_context,
                         [this] { lookAtWatches(); });
    }
    QTimer::singleShot(0, &m_context, [this] { lookAtWatches(); });
    return id;
}

void QtClock::lookAtWatches() {
    for (const TimerId id : m_watches.ids()) {
        if (m_watches.markDue(id)) {
            QTimer::singleShot(0, &m_context, [this, id] { m_watches.resumeIfStillDone(id); });
        }
    }
}

bool QtClock::timerActive(TimerId id) const {
    return m_timers.count(id) != 0 || m_watches.holds(id);
}

void QtClock::singleShot(int delayMs, Callback callback) {
    QTimer::singleShot(delayMs, Qt::PreciseTimer, &m_context, std::move(callback));
}

}  // namespace korvel
