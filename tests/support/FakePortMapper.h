#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "core/Clock.h"
#include "core/PortMapper.h"

namespace korvel::testing {

// A port mapper that answers as it is told: each map() and renew() takes the
// next planned answer and delivers it `delayMs` later on the clock (never,
// with none planned). What it is asked goes to onLine: "portmap map PORT lease
// S [ipv6 ADDRESS]", "portmap renew", "portmap remove", "portmap finish within MS ms".
class FakePortMapper : public PortMapper {
  public:
    struct Planned {
        int delayMs = 0;
        PortMapAnswer answer;
    };
    explicit FakePortMapper(Clock& clock) : m_clock(clock) {}

    std::deque<Planned> plan;
    std::function<void(const std::string&)> onLine = [](const std::string&) {};

    void map(int port, int leaseSeconds, const std::string& ipv6, Answer answer) override {
        ++*m_request;
        onLine("portmap map " + std::to_string(port) + " lease " + std::to_string(leaseSeconds) +
               (ipv6.empty() ? "" : " ipv6 " + ipv6));
        answerLater(std::move(answer));
    }
    void renew(Answer answer) override {
        onLine("portmap renew");
        answerLater(std::move(answer));
    }
    void remove() override {
        ++*m_request;
        onLine("portmap remove");
    }
    bool finishRemoval(int ms) override {
        onLine("portmap finish within " + std::to_string(ms) + " ms");
        return true;
    }

    // A planned answer from its words: "mapped igd|natpmp ADDRESS PORT LEASE
    // [pinhole|nopinhole]", "norouter" or "refused".
    static PortMapAnswer Parse(const std::string& words);

  private:
    void answerLater(Answer answer) {
        if (plan.empty()) {
            return;
        }
        m_clock.singleShot(plan.front().delayMs,
                           [request = std::weak_ptr<unsigned>(m_request), asked = *m_request,
                            answer = std::move(answer), given = plan.front().answer] {
                               if (const auto now = request.lock(); now && *now == asked) {
                                   answer(given);
                               }
                           });
        plan.pop_front();
    }

    Clock& m_clock;
    std::shared_ptr<unsigned> m_request = std::make_shared<unsigned>(0);
};

}  // namespace korvel::testing
