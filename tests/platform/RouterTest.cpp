// The host's port forwarded by a real router: Debian's miniupnpd with
// nftables, in network namespaces this test makes and removes ("home" with the
// host, "router", "internet" with the guest; names unique to the run). The
// host's side (router_probe) asks through the real mapper, a guest in the
// internet namespace connects to the router's outside address and completes
// the handshake, and once the host stops the router's rules hold no trace of
// the mapping. Needs root; skipped with a word otherwise.
//
// The outside network is 203.0.114.0/24, reachable only inside these
// namespaces: miniupnpd refuses to forward on the documentation ranges (it
// takes them for a router behind another NAT), so the one next to them is used.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "TempFolder.h"

extern char** environ;

namespace korvel::testing {
namespace {

const std::string kProbe = KORVEL_ROUTER_PROBE;
const std::string kOutside = "203.0.114.1";
const std::string kHome = "192.168.77.2";
constexpr int kPort = 7717;

// A program started with its output (and errors) on a pipe read line by
// line, each line waited for a bounded time; killed at the end if still running.
class Child {
  public:
    explicit Child(const std::vector<std::string>& words) {
        int out[2], in[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, out[1], 2);
        std::vector<char*> argv;
        for (const std::string& word : words) {
            argv.push_back(const_cast<char*>(word.c_str()));
        }
        argv.push_back(nullptr);
        if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(in[0]);
        m_out = out[0];
        m_in = in[1];
    }
    ~Child() {
        if (m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
        ::close(m_in);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next line, or "" when none came within `ms` (or the output ended).
    std::string line(int ms) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
                std::string got = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                log += got + "\n";
                return got;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd wait{m_out, POLLIN, 0};
            char bytes[4096];
            if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
                return "";
            }
            const auto got = ::read(m_out, bytes, sizeof bytes);
            if (got <= 0) {
                return "";
            }
            m_buffer.append(bytes, static_cast<std::size_t>(got));
        }
    }
    // The first line that begins with `what` (or holds it, for `anywhere`),
    // within `ms`; "" when none did.
    std::string lineWith(const std::string& what, int ms, bool anywhere = false) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string got =
                line(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          deadline - std::chrono::steady_clock::now())
                                          .count()));
            if (anywhere ? got.find(what) != std::string::npos : got.starts_with(what)) {
                return got;
            }
        }
        return "";
    }
    void write(const std::string& bytes) {
        [[maybe_unused]] const auto written = ::write(m_in, bytes.data(), bytes.size());
    }
    bool started() const { return m_pid > 0; }
    std::string log;  // every line read

  private:
    pid_t m_pid = -1;
    int m_out = -1, m_in = -1;
    std::string m_buffer;
};

// A command's whole output (each of these ends at once).
std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
        char bytes[4096];
        for (std::size_t got; (got = std::fread(bytes, 1, sizeof bytes, pipe)) > 0;) {
            text.append(bytes, got);
        }
        ::pclose(pipe);
    }
    return text;
}

// Namespaces left behind by a run that crashed (its process is gone), with
// whatever still runs in them.
void RemoveLeftovers() {
    std::istringstream names(Output("ip netns list"));
    for (std::string line; std::getline(names, line);) {
        const std::string name = line.substr(0, line.find(' '));
        const int pid = std::atoi(name.c_str() + 2);
        if (name.starts_with("kv") && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) {
            std::istringstream pids(Output("ip netns pids " + name));
            for (int inside; pids >> inside;) {
                ::kill(inside, SIGKILL);
            }
            Output("ip netns del " + name);
        }
    }
}

// The three namespaces joined by two links, the router's nftables rules with
// masquerading and miniupnpd's chains; removed, with the daemon, at the end.
class Setting {
  public:
    explicit Setting(const std::string& name) : m_name(name) {
        const std::string h = home(), r = router(), i = internet();
        const std::string script =
            "set -e\n"
            "ip netns add " +
            h + "\nip netns add " + r + "\nip netns add " + i +
            "\n"
            "ip link add " +
            name + "a netns " + h + " type veth peer name lan netns " + r +
            "\n"
            "ip link add " +
            name + "b netns " + i + " type veth peer name wan netns " + r +
            "\n"
            "ip -n " +
            h + " addr add " + kHome + "/24 dev " + name +
            "a\n"
            "ip -n " +
            r +
            " addr add 192.168.77.1/24 dev lan\n"
            "ip -n " +
            r + " addr add " + kOutside +
            "/24 dev wan\n"
            "ip -n " +
            i + " addr add 203.0.114.50/24 dev " + name +
            "b\n"
            "for n in " +
            h + " " + r + " " + i +
            "; do ip -n $n link set lo up; done\n"
            "ip -n " +
            h + " link set " + name +
            "a up\n"
            "ip -n " +
            r + " link set lan up\nip -n " + r +
            " link set wan up\n"
            "ip -n " +
            i + " link set " + name +
            "b up\n"
            "ip -n " +
            h +
            " route add default via 192.168.77.1\n"
            "ip netns exec " +
            r +
            " sysctl -qw net.ipv4.ip_forward=1\n"
            "ip netns exec " +
            r +
            " nft -f - <<'EOF'\n"
            "table inet korvel {\n"
            "  chain forward { type filter hook forward priority 0; policy accept; jump miniupnpd; "
            "}\n"
            "  chain miniupnpd { }\n"
            "  chain prerouting { type nat hook prerouting priority -100; policy accept;\n"
            "    jump prerouting_miniupnpd; }\n"
            "  chain postrouting { type nat hook postrouting priority 100; policy accept;\n"
            "    jump postrouting_miniupnpd; oifname \"wan\" masquerade; }\n"
            "  chain prerouting_miniupnpd { }\n"
            "  chain postrouting_miniupnpd { }\n"
            "}\n"
            "EOF\n";
        std::ofstream(m_folder / "make.sh") << script;
        made =
            Output("bash " + (m_folder / "make.sh").string() + " && echo made").ends_with("made\n");
    }
    ~Setting() {
        daemon.reset();
        for (const std::string& n : {home(), router(), internet()}) {
            Output("ip netns del " + n);
        }
    }

    // Starts miniupnpd on the router with its own configuration; true once it listens.
    bool startRouter(bool upnp, bool natpmp, bool allow) {
        const auto conf = m_folder / "miniupnpd.conf";
        std::ofstream(conf) << "ext_ifname=wan\nlistening_ip=lan\nhttp_port=0\n"
                            << "enable_upnp=" << (upnp ? "yes" : "no") << "\n"
                            << "enable_natpmp=" << (natpmp ? "yes" : "no") << "\n"
                            << "secure_mode=yes\nsystem_uptime=yes\nipv6_disable=yes\n"
                            << "uuid=3f1c2a70-0d3b-4a8e-9e2f-6b8a0c1d2e3f\n"
                            << "lease_file=" << (m_folder / "leases").string() << "\n"
                            << "upnp_table_name=korvel\nupnp_nat_table_name=korvel\n"
                            << "upnp_forward_chain=miniupnpd\n"
                            << "upnp_nat_chain=prerouting_miniupnpd\n"
                            << "upnp_nat_postrouting_chain=postrouting_miniupnpd\n"
                            << (allow ? "allow 1024-65535 192.168.77.0/24 1024-65535\n" : "")
                            << "deny 0-65535 0.0.0.0/0 0-65535\n";
        daemon = std::make_unique<Child>(std::vector<std::string>{
            "ip", "netns", "exec", router(), "/usr/sbin/miniupnpd", "-f", conf.string(), "-d", "-P",
            (m_folder / "miniupnpd.pid").string()});
        return !daemon->lineWith(upnp ? "HTTP listening" : "Listening for NAT-PMP", 5000, true)
                    .empty();
    }
    // The router's rules that name the home machine.
    std::string forwarding() {
        const std::string rules =
            Output("ip netns exec " + router() + " nft list table inet korvel");
        std::string found;
        std::istringstream lines(rules);
        for (std::string line; std::getline(lines, line);) {
            if (line.find("dnat") != std::string::npos && line.find(kHome) != std::string::npos) {
                found += line.substr(line.find_first_not_of(" \t")) + "\n";
            }
        }
        return found;
    }

    std::string home() const { return m_name + "home"; }
    std::string router() const { return m_name + "router"; }
    std::string internet() const { return m_name + "internet"; }
    bool made = false;
    std::unique_ptr<Child> daemon;

  private:
    std::string m_name;
    TempFolder m_folder;
};

struct Case {
    const char* name;
    bool upnp, natpmp, allow;
    const char* answer;  // what the host's mapper answered, before " after"
    bool reached;        // whether the guest gets through
};

class RealRouter : public ::testing::TestWithParam<Case> {};

TEST_P(RealRouter, ForwardsWhileHostingAndForgetsAfter) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "SKIPPED: making network namespaces needs root (the CI runs as root)";
    }
    const Case c = GetParam();
    ASSERT_EQ(::access("/usr/sbin/miniupnpd", X_OK), 0)
        << "miniupnpd is missing: scripts/setup.sh installs miniupnpd-nftables";
    RemoveLeftovers();
    Setting setting("kv" + std::to_string(::getpid()) + c.name[0]);
    ASSERT_TRUE(setting.made) << "the namespaces could not be made";
    ASSERT_TRUE(setting.startRouter(c.upnp, c.natpmp, c.allow)) << "miniupnpd did not start:\n"
                                                                << setting.daemon->log;

    Child host(
        {"ip", "netns", "exec", setting.home(), kProbe, "host", std::to_string(kPort), "4321"});
    ASSERT_TRUE(host.started());
    const std::string answer = host.lineWith("answer", 10000);
    EXPECT_EQ(answer.substr(0, answer.find(" after")), c.answer) << host.log;
    std::printf("%s: %s\n", c.name, answer.c_str());
    const std::string rule = "iif \"wan\" @nh,72,8 0x6 th dport " + std::to_string(kPort) +
                             " dnat ip to " + kHome + ":" + std::to_string(kPort) + "\n";
    EXPECT_EQ(setting.forwarding(), c.reached ? rule : "");

    Child guest({"ip", "netns", "exec", setting.internet(), kProbe, "guest", kOutside,
                 std::to_string(kPort), "4321"});
    EXPECT_EQ(guest.line(15000).starts_with("connected 1 0 Хозяин"), c.reached) << guest.log;
    if (c.reached) {
        EXPECT_EQ(host.lineWith("guest", 5000), "guest Гость") << host.log;
    }

    host.write("stop\n");
    EXPECT_EQ(host.lineWith("removed", 10000), "removed yes") << host.log;
    EXPECT_EQ(setting.forwarding(), "") << "the mapping outlived the hosting";
}

INSTANTIATE_TEST_SUITE_P(
    Router, RealRouter,
    ::testing::Values(
        Case{"igd", true, false, true, "answer mapped igd 203.0.114.1 7717 lease 1200", true},
        Case{"natpmp", false, true, true, "answer mapped natpmp 203.0.114.1 7717 lease 1200", true},
        Case{"refused", true, true, false, "answer refused", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
