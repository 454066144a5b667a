#include "platform/RouterPortMapper.h"

#include <arpa/inet.h>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <natpmp.h>
#include <sys/select.h>

#include <QHostAddress>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/TcpHost.h"

namespace korvel {
namespace {

using Steady = std::chrono::steady_clock;
using Outcome = PortMapAnswer::Outcome;

enum Kind { kMap, kRenew, kRemove, kQuit };

struct Job {
    int kind = kQuit;
    unsigned request = 0;
    int port = 0;
    int leaseSeconds = 0;
    std::string ipv6;
};

// The IGD's error for a router that keeps mappings only without a lease, and
// for an outside port another machine holds.
constexpr int kOnlyPermanentLeases = 725;
constexpr int kConflict = 718;
// The outside ports tried when the game's own is held by another machine.
constexpr int kPortsTried = 4;

PortMapAnswer Failed(Outcome outcome, std::string detail) {
    PortMapAnswer answer;
    answer.outcome = outcome;
    answer.detail = std::move(detail);
    return answer;
}

// One NAT-PMP answer, waited for at most until `deadline` (the library itself
// would retry for a minute).
int ReadNatPmp(natpmp_t& natpmp, natpmpresp_t& response, Steady::time_point deadline) {
    for (;;) {
        timeval wait{};
        getnatpmprequesttimeout(&natpmp, &wait);
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Steady::now());
        if (left.count() <= 0) {
            return NATPMP_TRYAGAIN;
        }
        const long long waitUs = std::min<long long>(
            static_cast<long long>(wait.tv_sec) * 1000000 + wait.tv_usec, left.count());
        wait.tv_sec = static_cast<time_t>(waitUs / 1000000);
        wait.tv_usec = static_cast<suseconds_t>(waitUs % 1000000);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(natpmp.s, &readable);
        select(natpmp.s + 1, &readable, nullptr, nullptr, &wait);
        const int result = readnatpmpresponseorretry(&natpmp, &response);
        if (result != NATPMP_TRYAGAIN) {
            return result;
        }
    }
}

// One NAT-PMP exchange with the default gateway: the public address when
// `port` is 0, else a TCP mapping of `port` onto `publicPort` for `lifetime`
// seconds (0 removes it). Returns the library's result.
int AskNatPmp(int port, int publicPort, int lifetime, natpmpresp_t& response) {
    natpmp_t natpmp;
    int result = initnatpmp(&natpmp, 0, 0);
    if (result < 0) {
        return result;
    }
    result = port == 0 ? sendpublicaddressrequest(&natpmp)
                       : sendnewportmappingrequest(&natpmp, NATPMP_PROTOCOL_TCP,
                                                   static_cast<std::uint16_t>(port),
                                                   static_cast<std::uint16_t>(publicPort),
                                                   static_cast<std::uint32_t>(lifetime));
    if (result >= 0) {
        result = ReadNatPmp(natpmp, response,
                            Steady::now() + std::chrono::milliseconds(RouterPortMapper::kNatPmpMs));
    }
    closenatpmp(&natpmp);
    return result;
}

// The router's UPnP Internet Gateway Device, once found: its control
// addresses, this machine's address as the router sees it, and the IPv6
// pinhole opened through its firewall.
class IgdGateway {
  public:
    IgdGateway() = default;
    IgdGateway(const IgdGateway&) = delete;
    IgdGateway& operator=(const IgdGateway&) = delete;
    ~IgdGateway() { forget(); }

    // Looks for the gateway, unless it is known already: why there is none, or nothing.
    std::optional<PortMapAnswer> find() {
        if (m_found) {
            return std::nullopt;
        }
        // One search for the gateway device (a version 2 device answers a
        // search for version 1 too): the library waits the whole time for
        // each kind searched, one after another.
        static const char* const kinds[] = {"urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                                            nullptr};
        int error = 0;
        UPNPDev* devices = upnpDiscoverDevices(kinds, RouterPortMapper::kSearchMs, nullptr, nullptr,
                                               UPNP_LOCAL_PORT_ANY, 0, 2, &error, 0);
        if (devices == nullptr) {
            return Failed(Outcome::NoRouter, "no UPnP device answered");
        }
        const int status = UPNP_GetValidIGD(devices, &m_urls, &m_data, m_lan, sizeof m_lan);
        freeUPNPDevlist(devices);
        m_found = status != 0;
        if (status != 1) {
            forget();
            return status == 2 ? Failed(Outcome::Refused, "the IGD is not connected")
                               : Failed(Outcome::NoRouter, "no IGD among the UPnP devices");
        }
        return std::nullopt;
    }

    const char* lanAddress() const { return m_lan; }

    // The router's outside address; "" when it gives none.
    std::string externalAddress() {
        char external[64] = "";
        return UPNP_GetExternalIPAddress(m_urls.controlURL, m_data.first.servicetype, external) ==
                       UPNPCOMMAND_SUCCESS
                   ? external
                   : "";
    }

    // Forwards TCP `externalPort` to this machine's `port`; the IGD's result.
    int addMapping(int externalPort, int port, int leaseSeconds) {
        const std::string external = std::to_string(externalPort), internal = std::to_string(port),
                          lease = std::to_string(leaseSeconds);
        return UPNP_AddPortMapping(m_urls.controlURL, m_data.first.servicetype, external.c_str(),
                                   internal.c_str(), m_lan, "Korvel", "TCP", nullptr,
                                   lease.c_str());
    }

    void deleteMapping(int externalPort) {
        const std::string external = std::to_string(externalPort);
        UPNP_DeletePortMapping(m_urls.controlURL, m_data.first.servicetype, external.c_str(), "TCP",
                               nullptr);
    }

    // IGD version 2's firewall control: a pinhole for the global IPv6
    // address `ipv6`; a firewall that is off lets the port through as it is.
    PortMapAnswer::Pinhole openPinhole(const std::string& ipv6, int port,
                                       const std::string& lease) {
        int enabled = 0, inboundAllowed = 0;
        if (m_urls.controlURL_6FC == nullptr || m_data.IPv6FC.controlurl[0] == '\0' ||
            UPNP_GetFirewallStatus(m_urls.controlURL_6FC, m_data.IPv6FC.servicetype, &enabled,
                                   &inboundAllowed) != UPNPCOMMAND_SUCCESS) {
            return PortMapAnswer::Pinhole::NotOffered;
        }
        if (enabled == 0) {
            return PortMapAnswer::Pinhole::Opened;
        }
        char id[16] = "";
        const std::string internal = std::to_string(port);
        if (inboundAllowed == 0 ||
            UPNP_AddPinhole(m_urls.controlURL_6FC, m_data.IPv6FC.servicetype, "", "0", ipv6.c_str(),
                            internal.c_str(), "6", lease.c_str(), id) != UPNPCOMMAND_SUCCESS) {
            return PortMapAnswer::Pinhole::NotOffered;
        }
        m_pinhole = id;
        return PortMapAnswer::Pinhole::Opened;
    }

    void renewPinhole(const std::string& lease) {
        if (!m_pinhole.empty()) {
            UPNP_UpdatePinhole(m_urls.controlURL_6FC, m_data.IPv6FC.servicetype, m_pinhole.c_str(),
                               lease.c_str());
        }
    }

    void closePinhole() {
        if (!m_pinhole.empty()) {
            UPNP_DeletePinhole(m_urls.controlURL_6FC, m_data.IPv6FC.servicetype, m_pinhole.c_str());
            m_pinhole.clear();
        }
    }

    // Looked for afresh next time (a router that restarted, say).
    void forget() {
        if (m_found) {
            FreeUPNPUrls(&m_urls);
        }
        m_found = false;
        m_urls = UPNPUrls{};
        m_data = IGDdatas{};
    }

  private:
    bool m_found = false;
    UPNPUrls m_urls{};
    IGDdatas m_data{};
    char m_lan[64] = "";
    std::string m_pinhole;
};

// The worker's side: what it forwarded on the router, by the IGD or by NAT-PMP.
class Router {
  public:
    Router() = default;
    Router(const Router&) = delete;
    Router& operator=(const Router&) = delete;
    ~Router() { remove(); }

    PortMapAnswer map(int port, int leaseSeconds, const std::string& ipv6) {
        remove();
        m_port = port;
        m_leaseSeconds = leaseSeconds;
        m_ipv6 = ipv6;
        PortMapAnswer answer = mapIgd();
        if (answer.outcome != Outcome::Mapped) {
            PortMapAnswer other = mapNatPmp();
            other.detail = answer.detail + "; " + other.detail;
            if (other.outcome == Outcome::Mapped || answer.outcome == Outcome::NoRouter) {
                answer = other;
            }
        }
        return answer;
    }

    // The same request again; a router that forgot it (restarted, say) is
    // looked for afresh.
    PortMapAnswer renew() {
        if (m_mapped && m_way == PortMapWay::Igd) {
            if (m_igd.addMapping(m_externalPort, m_port, m_leaseSeconds) == UPNPCOMMAND_SUCCESS) {
                m_igd.renewPinhole(pinholeLease());
                return m_answer;
            }
            m_igd.forget();
        } else if (m_mapped) {
            natpmpresp_t response{};
            if (AskNatPmp(m_port, m_externalPort, m_leaseSeconds, response) == 0) {
                m_answer.leaseSeconds = static_cast<int>(response.pnu.newportmapping.lifetime);
                return m_answer;
            }
        }
        m_mapped = false;
        return map(m_port, m_leaseSeconds, m_ipv6);
    }

    void remove() {
        if (!m_mapped) {
            return;
        }
        m_mapped = false;
        if (m_way == PortMapWay::Igd) {
            m_igd.closePinhole();
            m_igd.deleteMapping(m_externalPort);
        } else {
            natpmpresp_t response{};
            AskNatPmp(m_port, m_externalPort, 0, response);
        }
    }

  private:
    PortMapAnswer mapIgd() {
        if (std::optional<PortMapAnswer> none = m_igd.find()) {
            return *none;
        }
        const std::string external = m_igd.externalAddress();
        if (external.empty()) {
            return Failed(Outcome::Refused, "the IGD gave no outside address");
        }
        int result = UPNPCOMMAND_UNKNOWN_ERROR;
        int externalPort = m_port;
        for (int tried = 0; tried < kPortsTried && externalPort <= 65535; ++externalPort) {
            result = m_igd.addMapping(externalPort, m_port, m_leaseSeconds);
            if (result == kOnlyPermanentLeases && m_leaseSeconds != 0) {
                m_leaseSeconds = 0;  // removed by us at the end instead
                result = m_igd.addMapping(externalPort, m_port, 0);
            }
            if (result != kConflict) {
                break;
            }
            ++tried;
        }
        if (result != UPNPCOMMAND_SUCCESS) {
            return Failed(Outcome::Refused,
                          std::string("the IGD refused: ") + strupnperror(result));
        }
        m_externalPort = externalPort;
        mapped(PortMapWay::Igd, external, m_leaseSeconds);
        m_answer.pinhole = m_ipv6.empty() ? PortMapAnswer::Pinhole::NotAsked
                                          : m_igd.openPinhole(m_ipv6, m_port, pinholeLease());
        m_answer.detail = std::string("UPnP IGD, this machine ") + m_igd.lanAddress();
        return m_answer;
    }

    PortMapAnswer mapNatPmp() {
        natpmpresp_t response{};
        int result = AskNatPmp(0, 0, 0, response);
        if (result != 0) {
            return Failed(result == NATPMP_ERR_NOTAUTHORIZED ? Outcome::Refused : Outcome::NoRouter,
                          "NAT-PMP: no answer (" + std::to_string(result) + ")");
        }
        char external[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &response.pnu.publicaddress.addr, external, sizeof external);
        result = AskNatPmp(m_port, m_port, m_leaseSeconds > 0 ? m_leaseSeconds : 7200, response);
        if (result != 0) {
            return Failed(Outcome::Refused, "NAT-PMP refused (" + std::to_string(result) + ")");
        }
        m_externalPort = response.pnu.newportmapping.mappedpublicport;
        mapped(PortMapWay::NatPmp, external,
               static_cast<int>(response.pnu.newportmapping.lifetime));
        m_answer.pinhole =
            m_ipv6.empty() ? PortMapAnswer::Pinhole::NotAsked : PortMapAnswer::Pinhole::NotOffered;
        m_answer.detail = "NAT-PMP";
        return m_answer;
    }

    // The port is forwarded, `way`, from `external`:m_externalPort.
    void mapped(PortMapWay way, const std::string& external, int leaseSeconds) {
        m_mapped = true;
        m_way = way;
        m_answer = PortMapAnswer{};
        m_answer.outcome = Outcome::Mapped;
        m_answer.way = way;
        m_answer.externalAddress = external;
        m_answer.externalPort = m_externalPort;
        m_answer.leaseSeconds = leaseSeconds;
    }

    std::string pinholeLease() const {
        return std::to_string(m_leaseSeconds > 0 ? m_leaseSeconds : 86400);
    }

    IgdGateway m_igd;
    bool m_mapped = false;
    PortMapWay m_way = PortMapWay::Igd;
    int m_port = 0, m_externalPort = 0, m_leaseSeconds = 0;
    std::string m_ipv6;
    PortMapAnswer m_answer;
};

void Log(const PortMapAnswer& answer) {
    if (answer.outcome == Outcome::Mapped) {
        std::fprintf(stderr, "korvel: the router forwards %s:%d (%s, lease %d s)\n",
                     answer.externalAddress.c_str(), answer.externalPort, answer.detail.c_str(),
                     answer.leaseSeconds);
    } else {
        std::fprintf(stderr, "korvel: the port is not forwarded: %s\n", answer.detail.c_str());
    }
}

}  // namespace

struct RouterPortMapper::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool busy = false;
    bool ended = false;
    RouterPortMapper* owner = nullptr;  // null once the mapper is going
};

RouterPortMapper::RouterPortMapper() : m_shared(std::make_shared<Shared>()) {
    m_shared->owner = this;
    m_worker = std::thread([shared = m_shared] {
        Router router;
        for (;;) {
            Job job;
            {
                std::unique_lock lock(shared->mutex);
                shared->changed.wait(lock, [&] { return !shared->jobs.empty(); });
                job = std::move(shared->jobs.front());
                shared->jobs.pop_front();
                shared->busy = true;
            }
            PortMapAnswer answer;
            const bool answers = job.kind == kMap || job.kind == kRenew;
            if (job.kind == kMap) {
                answer = router.map(job.port, job.leaseSeconds, job.ipv6);
            } else if (job.kind == kRenew) {
                answer = router.renew();
            } else {
                router.remove();
            }
            if (answers) {
                Log(answer);
            }
            std::lock_guard lock(shared->mutex);
            shared->busy = false;
            shared->ended = job.kind == kQuit;
            if (answers && shared->owner != nullptr) {
                RouterPortMapper* owner = shared->owner;
                QMetaObject::invokeMethod(
                    &owner->m_context,
                    [owner, request = job.request, answer] {
                        if (request == owner->m_request && owner->m_answer) {
                            const Answer wanted = owner->m_answer;
                            wanted(answer);
                        }
                    },
                    Qt::QueuedConnection);
            }
            shared->changed.notify_all();
            if (shared->ended) {
                return;
            }
        }
    });
}

RouterPortMapper::~RouterPortMapper() {
    std::unique_lock lock(m_shared->mutex);
    m_shared->owner = nullptr;
    m_shared->jobs.push_back(Job{});
    m_shared->changed.notify_all();
    if (m_shared->changed.wait_for(lock, std::chrono::milliseconds(kEndMs),
                                   [this] { return m_shared->ended; })) {
        lock.unlock();
        m_worker.join();
    } else {
        lock.unlock();
        m_worker.detach();
    }
}

void RouterPortMapper::post(int kind, Answer answer, int port, int leaseSeconds,
                            const std::string& ipv6) {
    m_answer = std::move(answer);
    std::lock_guard lock(m_shared->mutex);
    m_shared->jobs.push_back(Job{kind, m_request, port, leaseSeconds, ipv6});
    m_shared->changed.notify_all();
}

void RouterPortMapper::map(int port, int leaseSeconds, const std::string& ipv6, Answer answer) {
    ++m_request;
    post(kMap, std::move(answer), port, leaseSeconds, ipv6);
}

void RouterPortMapper::renew(Answer answer) {
    post(kRenew, std::move(answer));
}

void RouterPortMapper::remove() {
    ++m_request;
    post(kRemove, nullptr);
}

bool RouterPortMapper::finishRemoval(int ms) {
    std::unique_lock lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, std::chrono::milliseconds(ms),
                                      [this] { return m_shared->jobs.empty() && !m_shared->busy; });
}

std::vector<std::string> GlobalIpv6Addresses() {
    std::vector<QHostAddress> found;
    for (const QHostAddress& ip : InterfaceAddresses()) {
        if (ip.protocol() == QAbstractSocket::IPv6Protocol && ip.isGlobal() &&
            !ip.isUniqueLocalUnicast() && !ip.isLinkLocal()) {
            found.push_back(QHostAddress(ip.toIPv6Address()));  // without its scope
        }
    }
    std::vector<std::string> texts;
    for (const QHostAddress& ip : found) {
        texts.push_back(ip.toString().toStdString());
    }
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    return texts;
}

}  // namespace korvel
