#include "VirtualClock.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace korvel::testing {

Clock::TimerId VirtualClock::startTimer(int intervalMs, Callback callback) {
    const TimerId id = m_nextId++;
    const int interval = intervalMs > 0 ? intervalMs : 1;
    m_timers[id] = Timer{m_now + interval, interval, std::move(callback), m_nextOrder++};
    return id;
}

void VirtualClock::singleShot(int delayMs, Callback callback) {
    const TimerId id = m_nextId++;
    m_timers[id] =
        Timer{m_now + (delayMs > 0 ? delayMs : 0), 0, std::move(callback), m_nextOrder++};
}

Clock::TimerId VirtualClock::resumeAfter(int delayMs, Callback callback) {
    const TimerId id = m_nextId++;
    m_timers[id] = Timer{m_now + std::max(delayMs, 0), 0, std::move(callback), m_nextOrder++, true};
    return id;
}

Clock::TimerId VirtualClock::resumeWhen(std::function<bool()> done, Callback callback) {
    const TimerId id = m_nextId++;
    m_watches.add(id, std::move(done), std::move(callback));
    after([this, id] { lookAt(id); });
    return id;
}

void VirtualClock::after(Callback callback) {
    m_timers[m_nextId++] = Timer{m_now, 0, std::move(callback), m_nextOrder++, true};
}

void VirtualClock::lookAt(TimerId id) {
    if (m_watches.markDue(id)) {
        after([this, id] { m_watches.resumeIfStillDone(id); });
    }
}

void VirtualClock::checkWatches() {
    for (const TimerId id : m_watches.ids()) {
        lookAt(id);
    }
}

void VirtualClock::stopTimer(TimerId id) {
    m_timers.erase(id);
    m_watches.erase(id);
}

bool VirtualClock::timerActive(TimerId id) const {
    return m_timers.count(id) != 0 || m_watches.holds(id);
}

std::int64_t VirtualClock::nextDue() const {
    std::int64_t due = INT64_MAX;
    for (const auto& [id, timer] : m_timers) {
        due = std::min(due, timer.due);
    }
    return due;
}

bool VirtualClock::fireNext(std::int64_t limit) {
    if (m_pump) {
        m_pump();  // may start or stop timers: done before choosing the next one
    }
    auto best = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->second.due > limit) {
            continue;
        }
        if (best == m_timers.end() || it->second.due < best->second.due ||
            (it->second.due == best->second.due &&
             std::tie(it->second.last, it->second.order) <
                 std::tie(best->second.last, best->second.order))) {
            best = it;
        }
    }
    if (best == m_timers.end()) {
        return false;
    }
    if (best->second.due > m_now) {
        m_now = best->second.due;
    }
    Callback callback = best->second.callback;
    if (best->second.interval == 0) {
        m_timers.erase(best);
    } else {
        best->second.due = m_now + best->second.interval;
        best->second.order = m_nextOrder++;
    }
    if (++m_depth > 64) {
        --m_depth;
        throw std::runtime_error("virtual clock: timers nested too deeply");
    }
    callback();
    checkWatches();
    --m_depth;
    return true;
}

void VirtualClock::processEvents() {
    if (m_pump) {
        m_pump();
    }
    // Fire what is due now, at most once per timer, so a zero-delay chain cannot spin forever.
    std::size_t budget = m_timers.size();
    while (budget-- > 0 && fireNext(m_now)) {
    }
}

void VirtualClock::advance(std::int64_t ms) {
    const std::int64_t target = m_now + (ms > 0 ? ms : 0);
    while (fireNext(target)) {
    }
    m_now = target;
}

bool VirtualClock::waitUntil(const std::function<bool()>& done, std::int64_t timeoutMs) {
    const std::int64_t deadline = timeoutMs < 0 ? -1 : m_now + timeoutMs;
    processEvents();
    while (!done()) {
        if (m_timers.empty()) {
            return false;  // nothing can change any more
        }
        const std::int64_t limit = deadline < 0 ? INT64_MAX : deadline;
        if (!fireNext(limit)) {
            m_now = deadline;
            return done();
        }
    }
    return true;
}

}  // namespace korvel::testing
