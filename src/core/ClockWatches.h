#pragma once

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "core/Clock.h"

namespace korvel {

// The waits on a condition that a clock holds (Clock::resumeWhen), with the
// one rule that the program's clock and the test clock both follow: a wait
// whose condition holds is marked due and goes on later, from the clock's
// loop, and only if its condition still holds then; what ran in between (a
// key, a socket's bytes) may have undone it, and then it is looked at again
// as before.
class ClockWatches {
  public:
    void add(Clock::TimerId id, std::function<bool()> done, Clock::Callback callback) {
        m_watches[id] = Watch{std::move(done), std::move(callback)};
    }
    void erase(Clock::TimerId id) { m_watches.erase(id); }
    bool holds(Clock::TimerId id) const { return m_watches.count(id) != 0; }
    std::size_t size() const { return m_watches.size(); }
    std::vector<Clock::TimerId> ids() const {
        std::vector<Clock::TimerId> ids;
        for (const auto& [id, watch] : m_watches) {
            ids.push_back(id);
        }
        return ids;
    }

    // True when the wait was not yet due and its condition holds now: it is
    // marked due, and the clock calls resumeIfStillDone(id) from its loop.
    bool markDue(Clock::TimerId id) {
        const auto watch = m_watches.find(id);
        if (watch == m_watches.end() || watch->second.due || !watch->second.done()) {
            return false;
        }
        watch->second.due = true;
        return true;
    }

    void resumeIfStillDone(Clock::TimerId id) {
        const auto watch = m_watches.find(id);
        if (watch == m_watches.end()) {
            return;
        }
        if (!watch->second.done()) {
            watch->second.due = false;
            return;
        }
        const Clock::Callback callback = std::move(watch->second.callback);
        m_watches.erase(watch);
        callback();
    }

  private:
    struct Watch {
        std::function<bool()> done;
        Clock::Callback callback;
        bool due = false;  // held when looked at; looked at again just before it goes on
    };
    std::map<Clock::TimerId, Watch> m_watches;
};

}  // namespace korvel
