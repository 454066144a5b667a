#include "FakePortMapper.h"

#include <sstream>

namespace korvel::testing {

void FakePortMapper::map(int port, int leaseSeconds, const std::string& ipv6, Answer answer) {
    ++*m_request;
    log("portmap map " + std::to_string(port) + " lease " + std::to_string(leaseSeconds) +
        (ipv6.empty() ? "" : " ipv6 " + ipv6));
    answerLater(std::move(answer));
}

void FakePortMapper::renew(Answer answer) {
    log("portmap renew");
    answerLater(std::move(answer));
}

void FakePortMapper::remove() {
    ++*m_request;
    log("portmap remove");
}

bool FakePortMapper::finishRemoval(int ms) {
    log("portmap finish within " + std::to_string(ms) + " ms");
    return true;
}

void FakePortMapper::answerLater(Answer answer) {
    if (plan.empty()) {
        return;
    }
    const Planned next = plan.front();
    plan.pop_front();
    m_clock.singleShot(next.delayMs,
                       [request = std::weak_ptr<unsigned>(m_request), asked = *m_request,
                        answer = std::move(answer), given = next.answer] {
                           if (const auto now = request.lock(); now && *now == asked) {
                               answer(given);
                           }
                       });
}

PortMapAnswer FakePortMapper::Parse(const std::string& words) {
    std::istringstream in(words);
    std::string outcome, way, extra;
    PortMapAnswer answer;
    in >> outcome;
    if (outcome == "mapped") {
        answer.outcome = PortMapAnswer::Outcome::Mapped;
        in >> way >> answer.externalAddress >> answer.externalPort >> answer.leaseSeconds >> extra;
        answer.way = way == "natpmp" ? PortMapWay::NatPmp : PortMapWay::Igd;
        answer.pinhole = extra == "pinhole"     ? PortMapAnswer::Pinhole::Opened
                         : extra == "nopinhole" ? PortMapAnswer::Pinhole::NotOffered
                                                : PortMapAnswer::Pinhole::NotAsked;
    } else {
        answer.outcome = outcome == "refused" ? PortMapAnswer::Outcome::Refused
                                              : PortMapAnswer::Outcome::NoRouter;
    }
    return answer;
}

}  // namespace korvel::testing
