#pragma once

#include <chrono>
#include <map>
#include <thread>

#include "Clock.h"

namespace korvel::testing {

// A clock service in real time for the tests that listen to the real device:
// timers fire from waits, as window timers fire from a message loop.
class RealTimeClock : public Clock {
  public:
    std::int64_t tickCount() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - m_start)
            .count();
    }
    void sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    void processEvents() override {
        const std::int64_t now = tickCount();
        for (auto it = m_timers.begin(); it != m_timers.end();) {
            const TimerId id = it->first;
            Timer& t = it->second;
            ++it;
            if (t.due <= now) {
                t.due = now + t.interval;
                Callback callback = t.callback;  // may stop its own timer
                const bool once = t.interval == 0;
                if (once) {
                    m_timers.erase(id);
                }
                callback();
                it = m_timers.upper_bound(id);
            }
        }
    }
    void waitFor(int ms) override {
        waitUntil([] { return false; }, ms);
    }
    bool waitUntil(const std::function<bool()>& done, std::int64_t timeoutMs = -1) override {
        const std::int64_t deadline = timeoutMs < 0 ? -1 : tickCount() + timeoutMs;
        while (true) {
            processEvents();
            if (done()) {
                return true;
            }
            if (deadline >= 0 && tickCount() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    TimerId startTimer(int intervalMs, Callback callback) override {
        const TimerId id = m_next++;
        const int interval = intervalMs > 0 ? intervalMs : 1;
        m_timers[id] = Timer{tickCount() + interval, interval, std::move(callback)};
        return id;
    }
    void stopTimer(TimerId id) override { m_timers.erase(id); }
    bool timerActive(TimerId id) const override { return m_timers.count(id) != 0; }
    void singleShot(int delayMs, Callback callback) override {
        m_timers[m_next++] = Timer{tickCount() + delayMs, 0, std::move(callback)};
    }

  private:
    struct Timer {
        std::int64_t due;
        int interval;
        Callback callback;
    };
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::map<TimerId, Timer> m_timers;
    TimerId m_next = 1;
};

}  // namespace korvel::testing
