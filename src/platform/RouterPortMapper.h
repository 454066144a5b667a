#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/PortMapper.h"

namespace korvel {

// The home router asked to forward the host's port: UPnP IGD through
// libminiupnpc first, NAT-PMP through libnatpmp where no IGD answers. The
// library calls block (the search for an IGD takes up to two seconds, a
// router's answer may take seconds more), so they run one after another on a
// worker thread of the mapper's own; each answer is handed to the window
// thread through Qt's event queue, never by waiting there. Where the host has
// a global IPv6 address and the IGD has IPv6 firewall control (IGD version
// 2), a pinhole is asked for beside the mapping, and kept and removed with it.
//
// Made and used on the window thread. Its end removes what is still
// forwarded, waiting for that at most kEndMs; a worker still held by the
// library after that is left to end on its own.
class RouterPortMapper : public PortMapper {
  public:
    static constexpr int kSearchMs = 2000;  // how long the IGD search listens
    static constexpr int kNatPmpMs = 2000;  // how long a NAT-PMP request waits for its answer
    static constexpr int kEndMs = 1000;

    RouterPortMapper();
    ~RouterPortMapper() override;
    RouterPortMapper(const RouterPortMapper&) = delete;
    RouterPortMapper& operator=(const RouterPortMapper&) = delete;

    void map(int port, int leaseSeconds, const std::string& ipv6, Answer answer) override;
    void renew(Answer answer) override;
    void remove() override;
    bool finishRemoval(int ms) override;

    struct Shared;

  private:
    void post(int kind, Answer answer, int port = 0, int leaseSeconds = 0,
              const std::string& ipv6 = {});

    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
    QObject m_context;  // its thread's event queue carries the answers
    unsigned m_request = 0;
    Answer m_answer;  // the answer wanted for m_request
};

// The machine's global IPv6 addresses on interfaces that are up (no
// link-local, unique local or loopback ones), in ascending order: the
// addresses a friend on the internet may reach directly.
std::vector<std::string> GlobalIpv6Addresses();

}  // namespace korvel
