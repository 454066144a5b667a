#include "app/NetworkGame.h"

#include <cstdio>

#include "core/IniFile.h"
#include "core/Texts.h"
#include "core/TimingMarks.h"
#include "opponent/RandomSource.h"
#include "platform/RouterPortMapper.h"
#include "platform/TcpHost.h"
#include "platform/TcpJoin.h"
#include "platform/TcpLink.h"
#include "voice/Announcer.h"

namespace korvel {
namespace {

constexpr int kDefaultPort = 7717;

int StoredPort(const Settings& settings) {
    const std::string stored = settings.GetIni("Net", "port");
    const int port = std::atoi(stored.c_str());
    return port >= 1 && port <= 65535 ? port : kDefaultPort;
}

NetFault FaultOf(JoinFailure failure) {
    switch (failure) {
        case JoinFailure::Refused:
            return NetFault::Refused;
        case JoinFailure::TimedOut:
            return NetFault::TimedOut;
        default:
            return NetFault::Unreachable;
    }
}

}  // namespace

// The TCP link as the session's link: bytes both ways, and its end.
class NetworkGame::Link : public NetLink {
  public:
    explicit Link(std::unique_ptr<TcpLink> tcp) : m_tcp(std::move(tcp)) {}
    void send(const std::string& bytes) override { m_tcp->send(bytes); }
    void close() override { m_tcp->close(); }
    TcpLink& tcp() { return *m_tcp; }

  private:
    std::unique_ptr<TcpLink> m_tcp;
};

// A caller in its handshake: its session over its own link.
struct NetworkGame::Caller {
    std::unique_ptr<Link> link;
    std::unique_ptr<NetworkPlayer> player;  // after the link: it goes first
};

std::pair<std::string, int> SplitAddress(const std::string& address, int port) {
    std::string host = address;
    std::string portText;
    if (!host.empty() && host.front() == '[') {
        const std::size_t close = host.find(']');
        if (close != std::string::npos) {
            if (close + 1 < host.size() && host[close + 1] == ':') {
                portText = host.substr(close + 2);
            }
            host = host.substr(1, close - 1);
        }
    } else if (const std::size_t colon = host.find(':');
               colon != std::string::npos && host.find(':', colon + 1) == std::string::npos) {
        portText = host.substr(colon + 1);
        host.resize(colon);
    }
    if (!portText.empty()) {
        const bool digits =
            portText.size() <= 5 && portText.find_first_not_of("0123456789") == std::string::npos;
        const int typed = digits ? std::atoi(portText.c_str()) : 0;
        port = typed >= 1 && typed <= 65535 ? typed : 0;
    }
    return {host, port};
}

NetworkGame::NetworkGame(Clock& clock, Settings& settings, Announcer& announcer,
                         RandomSource& random, Game& game, Hooks hooks)
    : localAddresses(LocalAddresses),
      globalAddresses(GlobalIpv6Addresses),
      m_clock(clock),
      m_settings(settings),
      m_announcer(announcer),
      m_random(random),
      m_game(game),
      m_hooks(std::move(hooks)) {}

NetworkGame::~NetworkGame() {
    stop();
}

void NetworkGame::host(const GameSetup& setup, std::optional<std::pair<Board, int>> start) {
    stop();
    m_role = NetRole::Host;
    m_setup = setup;
    m_start = std::move(start);
    m_host = std::make_unique<TcpHost>(m_clock);
    m_host->busyLine = EncodeMessage(ByeMessage{ByeReason::Busy});
    const int port = StoredPort(m_settings);
    if (!m_host->listen(port)) {
        m_host.reset();
        m_announcer.Clear();
        m_announcer.AddFile("netnoport");
        if (m_hooks.backToPage) {
            m_hooks.backToPage();
        }
        return;
    }
    m_door = std::make_unique<NetDoor>(codeSource != nullptr ? *codeSource : m_systemCodes);
    m_door->firstWrongGuess = [this] { tellHost(NetFault::WrongCode); };
    m_door->newCode = [this](const std::string& code) {
        m_toldVersion = false;
        m_announcer.Clear();
        m_announcer.AddFile("newcode");
        for (const std::string& phrase : SpelledPhrases(code)) {
            m_announcer.AddFile(phrase);
        }
        showCode(code);
    };
    m_host->onCaller = [this](std::unique_ptr<TcpLink> link) { takeCaller(std::move(link)); };

    // The router is asked unless [Net] portmap=0; a missing key reads as "0" too.
    const bool portmap =
        !m_settings.HasKey("Net", "portmap") || m_settings.GetIni("Net", "portmap") != "0";
    HostNotice::Hooks notice;
    notice.say = [this](const std::vector<std::string>& phrases, bool afresh) {
        if (afresh) {
            m_announcer.Clear();
        }
        for (const std::string& phrase : phrases) {
            m_announcer.AddFile(phrase);
        }
    };
    notice.show = [this](const std::string& text) {
        if (m_hooks.showWaiting) {
            m_hooks.showWaiting(text);
        }
    };
    m_notice = std::make_unique<HostNotice>(m_clock, portmap ? portMapper : nullptr, notice);
    m_toldVersion = false;
    m_notice->start({localAddresses(), globalAddresses(), port, m_door->code()});
    // What a guest must type, for the scripts that time two programs.
    TimingMark("waiting code " + m_door->code());
}

void NetworkGame::showCode(const std::string& code) {
    if (m_notice) {
        m_notice->setCode(code);
    }
    // What a guest must type, for the scripts that time two programs.
    TimingMark("waiting code " + code);
}

void NetworkGame::takeCaller(std::unique_ptr<TcpLink> tcp) {
    if (m_callers.size() >= kMostCallers) {
        // The oldest caller that has said nothing makes room (or the oldest of all).
        auto out = std::find_if(m_callers.begin(), m_callers.end(),
                                [](const auto& c) { return c->link->tcp().bytesReceived() == 0; });
        m_callers.erase(out != m_callers.end() ? out : m_callers.begin());
    }
    auto& caller = *m_callers.emplace_back(std::make_unique<Caller>());
    caller.link = std::make_unique<Link>(std::move(tcp));
    NetSessionSettings settings;
    settings.role = NetRole::Host;
    settings.code = m_door->code();
    settings.playerName = MakePlayerName(m_settings.GetIni("Game", "player_name"));
    settings.setup =
        SetupMessage{m_setup.gameType, m_setup.gameType % 2 == 0 ? m_setup.secondsPerMove : 0,
                     ToNetStart(m_start)};
    settings.handshakeLimitMs = kCallerLimitMs;
    settings.admit = [this, guesser = caller.link->tcp().peerGuesser()](const std::string& code) {
        return m_door->admit(guesser, code, m_clock.tickCount());
    };
    NetworkPlayer::Hooks hooks;
    hooks.starting = [this, c = &caller] { admitted(c); };
    hooks.failedBeforeGame = [this, c = &caller](NetFault fault) { callerFailed(c, fault); };
    caller.player = std::make_unique<NetworkPlayer>(m_clock, m_game, *caller.link,
                                                    std::move(settings), m_start, std::move(hooks));
    NetSession& session = caller.player->session();
    caller.link->tcp().onBytes = [&session](const std::string& bytes) { session.received(bytes); };
    caller.link->tcp().onClosed = [&session] { session.linkClosed(); };
    session.start();
}

void NetworkGame::admitted(Caller* caller) {
    m_notice->gameBegan();  // the router's answer no longer interrupts anything
    m_link = std::move(caller->link);
    m_player = std::move(caller->player);
    // The others hear the host is busy. The guest's own caller goes later:
    // this is a report from inside its session.
    for (auto& other : m_callers) {
        if (other.get() != caller && other->link) {
            other->player.reset();
            other->link->tcp().send(m_host->busyLine);
            other->link.reset();
        }
    }
    m_clock.singleShot(0, [this, alive = std::weak_ptr<char>(m_life)] {
        if (!alive.expired()) {
            m_callers.clear();
        }
    });
    m_host->holdGuest(true);
    if (m_hooks.showBoard) {
        m_hooks.showBoard();
    }
}

// A caller that failed goes once the report has returned. Only a Korvel that
// said hello is worth a word: another version, once a code (a wrong code is
// the keeper's to tell); a stranger is never heard of.
void NetworkGame::callerFailed(Caller* caller, NetFault fault) {
    const bool korvel = caller->player && caller->player->session().heardHello();
    m_clock.singleShot(0, [this, caller, alive = std::weak_ptr<char>(m_life)] {
        if (!alive.expired()) {
            std::erase_if(m_callers, [caller](const auto& c) { return c.get() == caller; });
        }
    });
    if (korvel && fault == NetFault::VersionMismatch && !std::exchange(m_toldVersion, true)) {
        tellHost(fault);
    }
}

void NetworkGame::tellHost(NetFault fault) {
    const std::string phrase(NetFaultPhrase(fault));
    if (m_hooks.tell) {
        m_hooks.tell(phrase, std::string(NetFaultText(fault)));
    } else {
        m_announcer.Clear();
        m_announcer.AddFile(phrase);
    }
}

void NetworkGame::join(const std::string& address, const std::string& code) {
    stop();
    m_role = NetRole::Guest;
    m_settings.SetIni("Net", "host", address);
    const auto [host, port] = SplitAddress(address, StoredPort(m_settings));
    if (host.empty() || port == 0) {
        failBeforeGame(NetFault::Unreachable);
        return;
    }
    m_announcer.Clear();
    m_announcer.AddFile("connecting");
    m_join = std::make_unique<TcpJoin>(m_clock);
    m_join->onConnected = [this, code](std::unique_ptr<TcpLink> link) {
        NetSessionSettings settings;
        settings.role = NetRole::Guest;
        settings.code = code;
        settings.playerName = MakePlayerName(m_settings.GetIni("Game", "player_name"));
        startPlayer(std::move(link), std::move(settings));
    };
    m_join->onFailed = [this](JoinFailure failure, const std::string&) {
        failBeforeGame(FaultOf(failure));
    };
    m_join->start(host, port);
}

void NetworkGame::startPlayer(std::unique_ptr<TcpLink> link, NetSessionSettings settings) {
    m_link = std::make_unique<Link>(std::move(link));
    NetworkPlayer::Hooks hooks;
    hooks.starting = [this] {
        if (m_hooks.showBoard) {
            m_hooks.showBoard();
        }
    };
    hooks.failedBeforeGame = [this](NetFault fault) { failBeforeGame(fault); };
    m_player = std::make_unique<NetworkPlayer>(m_clock, m_game, *m_link, std::move(settings),
                                               m_start, std::move(hooks));
    m_link->tcp().onBytes = [this](const std::string& bytes) {
        if (!m_player) {
            return;
        }
        // A game starts only while the menu waits for it: one left behind ends unheard.
        if (!m_player->playing() && m_hooks.awaited && !m_hooks.awaited()) {
            m_clock.singleShot(0, [this, link = m_link.get(), alive = std::weak_ptr<char>(m_life)] {
                if (!alive.expired() && m_link.get() == link) {
                    stop();
                }
            });
            return;
        }
        m_player->session().received(bytes);
    };
    m_link->tcp().onClosed = [this] {
        if (m_player) {
            m_player->session().linkClosed();
        }
    };
    m_player->session().start();
}

void NetworkGame::stop() {
    m_callers.clear();
    if (m_player) {
        m_player->session().close();
    }
    m_player.reset();
    m_link.reset();
    m_join.reset();
    m_notice.reset();
    if (m_host) {
        m_host->stop();
    }
    m_host.reset();
}

TcpLink* NetworkGame::link() {
    return m_link ? &m_link->tcp() : nullptr;
}

bool NetworkGame::joining() const {
    return m_join != nullptr && m_join->isConnecting();
}

// The host keeps waiting after a caller that failed (a mistyped code, another
// version): it hears why, and the next caller may be the guest. A joining
// player hears why and stays at the code, to try again.
void NetworkGame::failBeforeGame(NetFault fault) {
    // Reports may come from inside the session, the link or the joiner: they
    // are let go once the call that reported has returned.
    m_clock.singleShot(0, [this, alive = std::weak_ptr<char>(m_life)] {
        if (!alive.expired()) {
            stop();
        }
    });
    const std::string phrase(NetFaultPhrase(fault));
    const bool connecting =
        fault == NetFault::Unreachable || fault == NetFault::Refused || fault == NetFault::TimedOut;
    if (!connecting && m_hooks.tell) {
        m_hooks.tell(phrase, std::string(NetFaultText(fault)));
    } else {
        m_announcer.Clear();
        m_announcer.AddFile(phrase);
    }
    if (m_hooks.backToPage) {
        m_hooks.backToPage();
    }
}

}  // namespace korvel
