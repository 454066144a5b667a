#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "core/Clock.h"
#include "core/PortMapper.h"

namespace korvel::testing {

// A port mapper that answers as it is told. Each map() and renew() takes the
// next planned answer and delivers it `delayMs` later on the clock; with none
// planned the request is never answered. What it is asked is logged as
// "portmap map PORT lease S ipv6 ADDRESS", "portmap renew", "portmap remove".
class FakePortMapper : public PortMapper {
  public:
    struct Planned {
        int delayMs = 0;
        PortMapAnswer answer;
    };

    explicit FakePortMapper(Clock& clock) : m_clock(clock) {}

    std::deque<Planned> plan;
    std::function<void(const std::string&)> onLine;

    void map(int port, int leaseSeconds, const std::string& ipv6, Answer answer) override;
    void renew(Answer answer) override;
    void remove() override;
    bool finishRemoval(int ms) override;

    // A planned answer from its words: "mapped igd|natpmp ADDRESS PORT LEASE
    // [pinhole|nopinhole]", "norouter" or "refused".
    static PortMapAnswer Parse(const std::string& words);

  private:
    void answerLater(Answer answer);
    void log(const std::string& line) {
        if (onLine) {
            onLine(line);
        }
    }

    Clock& m_clock;
    std::shared_ptr<unsigned> m_request = std::make_shared<unsigned>(0);
};

}  // namespace korvel::testing
