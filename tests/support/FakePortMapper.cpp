#include "FakePortMapper.h"

#include <sstream>

namespace korvel::testing {

PortMapAnswer FakePortMapper::Parse(const std::string& words) {
    std::istringstream in(words);
    std::string outcome, way, pinhole;
    PortMapAnswer answer;
    in >> outcome >> way >> answer.externalAddress >> answer.externalPort >> answer.leaseSeconds >>
        pinhole;
    answer.outcome = outcome == "mapped"    ? PortMapAnswer::Outcome::Mapped
                     : outcome == "refused" ? PortMapAnswer::Outcome::Refused
                                            : PortMapAnswer::Outcome::NoRouter;
    answer.way = way == "natpmp" ? PortMapWay::NatPmp : PortMapWay::Igd;
    answer.pinhole = pinhole == "pinhole"     ? PortMapAnswer::Pinhole::Opened
                     : pinhole == "nopinhole" ? PortMapAnswer::Pinhole::NotOffered
                                              : PortMapAnswer::Pinhole::NotAsked;
    return answer;
}

}  // namespace korvel::testing
