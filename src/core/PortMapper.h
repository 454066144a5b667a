#pragma once

#include <functional>
#include <string>

namespace korvel {

// How the home router was asked to forward the port.
enum class PortMapWay { Igd, NatPmp };

// The router's answer to a request for a forwarded TCP port.
struct PortMapAnswer {
    enum class Outcome {
        Mapped,    // the router forwards the port
        NoRouter,  // no router answered (neither UPnP IGD nor NAT-PMP)
        Refused,   // a router answered and would not forward it
    };
    // The IPv6 side: whether a pinhole was opened in the router's firewall for
    // the host's global IPv6 address (UPnP IGD version 2 only).
    enum class Pinhole { NotAsked, Opened, NotOffered };

    Outcome outcome = Outcome::NoRouter;
    PortMapWay way = PortMapWay::Igd;
    std::string externalAddress;  // the router's outside address; "" when it did not tell
    int externalPort = 0;
    int leaseSeconds = 0;  // how long the router keeps it; 0 until it is removed
    Pinhole pinhole = Pinhole::NotAsked;
    std::string detail;  // what the router or the library said, for the log
};

// The service that asks the home router to forward a TCP port of this
// machine: the real one (src/platform) talks UPnP IGD and NAT-PMP on a worker
// thread of its own, the tests' fake answers when told. Answers are delivered
// on the window thread, each to the request that asked; none arrives after
// remove() or the mapper's end.
class PortMapper {
  public:
    using Answer = std::function<void(const PortMapAnswer&)>;

    virtual ~PortMapper() = default;

    // Asks for `port` to be forwarded for `leaseSeconds`; `ipv6` is the host's
    // global IPv6 address to open a pinhole for ("" for none). Whatever was
    // asked for before is removed first.
    virtual void map(int port, int leaseSeconds, const std::string& ipv6, Answer answer) = 0;
    // Asks the router that answered the last map() to keep the port for
    // another lease; the answer says whether it still does.
    virtual void renew(Answer answer) = 0;
    // Removes what was forwarded, in the background; no answer comes after it.
    virtual void remove() = 0;
    // On the way out: waits at most `ms` milliseconds for the removals under
    // way, without letting window events run. True when none is left.
    virtual bool finishRemoval(int ms) = 0;
};

}  // namespace korvel
