// The host's port forwarded by a real router: Debian's miniupnpd with
// nftables masquerading in network namespaces this test makes and removes
// ("home", "router", "internet", each held by a process of its own). This
// thread enters the home namespace and hosts there with the real mapper and
// the real session; a guest in the internet namespace (bash's /dev/tcp, run
// through nsenter) sends its hello to the router's outside address and reads
// the host's answer; once the host stops, the router's rules hold no trace of
// the mapping. Needs root; skipped with a word otherwise. The outside network
// is 203.0.114.0/24, reachable only inside these namespaces: miniupnpd will
// not forward on the documentation ranges. Nothing here mounts or unmounts: on
// a virtual machine whose grace periods stall, `ip netns exec` once waited
// minutes for its mounts.
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "TempFolder.h"
#include "net/NetSession.h"
#include "platform/QtClock.h"
#include "platform/RouterPortMapper.h"
#include "platform/TcpHost.h"

namespace korvel::testing {
namespace {

// A shell command's whole output; each command here is cut off by `timeout`.
std::string Sh(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(("exec 2>&1; " + command).c_str(), "r")) {
        char bytes[4096];
        for (std::size_t got; (got = std::fread(bytes, 1, sizeof bytes, pipe)) > 0;) {
            text.append(bytes, got);
        }
        ::pclose(pipe);
    }
    return text;
}

// Lets the window thread's events run until `done`, at most `ms`.
bool Await(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return done();
}

// The host's side of the handshake over the TCP link.
struct HostSide : NetLink, NetListener {
    std::unique_ptr<TcpLink> tcp;
    std::unique_ptr<NetSession> session;
    std::string guest;
    void send(const std::string& bytes) override { tcp->send(bytes); }
    void close() override { tcp->close(); }
    void connected(const SetupMessage&, const std::string& peer) override { guest = peer; }
    void moveReceived(int, int, int) override {}
    void passReceived(int) override {}
    void timeOutReceived(int) override {}
    void quitReceived() override {}
    void stageReceived(int) override {}
    void failed(NetFault) override {}
};

struct Case {
    const char* name;
    const char* router;  // miniupnpd's switches and permission
    const char* answer;  // the way, outside address and port and lease; or "refused"
};

// The three namespaces, made once for every case: their holders' process numbers.
class RealRouter : public ::testing::TestWithParam<Case> {
  protected:
    static void SetUpTestSuite() {
        if (::geteuid() != 0) {
            return;
        }
        made = Sh(std::string("timeout 60 bash ") + std::getenv("KORVEL_TEST_DATA") +
                  "/router_setting.sh make");
        std::istringstream(made) >> home >> router >> internet;
    }
    static void TearDownTestSuite() {
        if (!home.empty()) {
            Sh("kill -9 " + home + " " + router + " " + internet);
        }
    }
    static inline std::string made, home, router, internet;
};

TEST_P(RealRouter, ForwardsWhileHostingAndForgetsAfter) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "SKIPPED: making network namespaces needs root (the CI runs as root)";
    }
    ASSERT_EQ(::access("/usr/sbin/miniupnpd", X_OK), 0)
        << "miniupnpd is missing: scripts/setup.sh installs miniupnpd-nftables";
    ASSERT_FALSE(internet.empty()) << made;
    static int argc = 1;
    static char name[] = "router_tests", *argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
    const Case c = GetParam();
    TempFolder folder;
    std::ofstream(folder / "router.conf")
        << c.router << "\next_ifname=wan\nlistening_ip=lan\nhttp_port=0\nsecure_mode=yes\n"
        << "uuid=3f1c2a70-0d3b-4a8e-9e2f-6b8a0c1d2e3f\nipv6_disable=yes\n"
        << "upnp_table_name=korvel\nupnp_nat_table_name=korvel\n"
        << "upnp_forward_chain=forward_miniupnpd\nupnp_nat_chain=prerouting_miniupnpd\n"
        << "upnp_nat_postrouting_chain=postrouting_miniupnpd\ndeny 0-65535 0.0.0.0/0 0-65535\n";
    const std::string conf = (folder / "router.conf").string();
    const std::string inRouter = "timeout 60 nsenter --net=/proc/" + router + "/ns/net ";
    const std::string started = Sh(std::string("timeout 60 bash ") +
                                   std::getenv("KORVEL_TEST_DATA") + "/router_setting.sh router " +
                                   conf + " " + (folder / "router.log").string() + " " + router);
    // Whatever happens next, this case's miniupnpd goes, and its chains are emptied.
    const std::shared_ptr<void> cleanUp(nullptr, [&](void*) {
        Sh("kill -9 $(cat " + conf + ".pid); for c in forward prerouting postrouting; do " +
           inRouter + "nft flush chain inet korvel ${c}_miniupnpd; done");
    });
    ASSERT_TRUE(started.ends_with("ready\n")) << started;

    const int original = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    const int space = ::open(("/proc/" + home + "/ns/net").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::setns(space, CLONE_NEWNET), 0);
    const std::shared_ptr<void> back(nullptr, [&](void*) {
        ::setns(original, CLONE_NEWNET);
        ::close(space);
        ::close(original);
    });
    std::string answer, guestHeard, forwarded;
    {
        QtClock clock;
        TcpHost host(clock);
        ASSERT_TRUE(host.listen(7717)) << host.errorText();
        HostSide side;
        host.onCaller = [&](std::unique_ptr<TcpLink> link) {
            side.tcp = std::move(link);
            NetSessionSettings settings;
            settings.role = NetRole::Host;
            settings.code = "4321";
            settings.playerName = "Хозяин";
            side.session = std::make_unique<NetSession>(clock, side, side, settings);
            side.tcp->onBytes = [&](const std::string& bytes) { side.session->received(bytes); };
            side.session->start();
        };
        RouterPortMapper mapper;
        const auto asked = std::chrono::steady_clock::now();
        mapper.map(7717, 1200, "", [&](const PortMapAnswer& a) {
            answer = a.outcome == PortMapAnswer::Outcome::Refused ? "refused"
                     : a.outcome == PortMapAnswer::Outcome::NoRouter
                         ? "norouter"
                         : std::string(a.way == PortMapWay::Igd ? "igd " : "natpmp ") +
                               a.externalAddress + ":" + std::to_string(a.externalPort) + " " +
                               std::to_string(a.leaseSeconds);
        });
        ASSERT_TRUE(Await([&] { return !answer.empty(); }, 30000));
        std::printf("%s: the router answered after %lld ms\n", c.name,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - asked)
                                               .count()));
        forwarded = Sh(inRouter + "nft list chain inet korvel prerouting_miniupnpd | " +
                       "grep -o \"dnat ip to .*\"");
        HelloMessage hello;
        hello.programVersion = "1.0";
        hello.code = "4321";
        hello.name = "Гость";
        WriteBytes(folder / "hello", EncodeMessage(hello));
        // The guest calls the router's outside address from the internet while
        // this thread serves the host: it hears the host's first two lines, or
        // why there were none; 25 seconds at most.
        std::atomic<bool> heard = false;
        std::thread guest([&] {
            guestHeard = Sh("nsenter --net=/proc/" + internet + "/ns/net timeout 25 bash -c '" +
                            "exec 3<>/dev/tcp/203.0.114.1/7717 && cat " +
                            (folder / "hello").string() + " >&3 && head -n 2 <&3'");
            heard = true;
        });
        Await([&] { return heard.load(); }, 30000);
        guest.join();
        EXPECT_EQ(side.guest, c.answer[0] == 'r' ? "" : "Гость");
        mapper.remove();
        EXPECT_TRUE(mapper.finishRemoval(20000));
    }
    EXPECT_EQ(answer, c.answer);
    const bool mapped = c.answer[0] != 'r';
    EXPECT_EQ(forwarded, mapped ? "dnat ip to 192.168.77.2:7717\n" : "");
    EXPECT_EQ(guestHeard.starts_with("hello ") && guestHeard.ends_with(" 4321 Хозяин\nsetup 1 0\n"),
              mapped)
        << guestHeard;
    EXPECT_EQ(Sh(inRouter + "nft list table inet korvel | grep -c dnat"), "0\n")
        << "the mapping outlived the hosting";
}
INSTANTIATE_TEST_SUITE_P(
    Router, RealRouter,
    ::testing::Values(
        Case{"igd",
             "enable_upnp=yes\nenable_natpmp=no\nallow 1024-65535 192.168.77.0/24 1024-65535",
             "igd 203.0.114.1:7717 1200"},
        Case{"natpmp",
             "enable_upnp=no\nenable_natpmp=yes\nallow 1024-65535 192.168.77.0/24 1024-65535",
             "natpmp 203.0.114.1:7717 1200"},
        Case{"refused", "enable_upnp=yes\nenable_natpmp=yes", "refused"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
