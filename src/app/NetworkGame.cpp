#include "app/NetworkGame.h"

#include <cstdio>

#include "core/IniFile.h"
#include "core/Texts.h"
#include "core/TimingMarks.h"
#include "opponent/RandomSource.h"
#include "platform/TcpHost.h"
#include "platform/TcpJoin.h"
#include "platform/TcpLink.h"
#include "ui/NetEntry.h"
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
    char code[8];
    std::snprintf(code, sizeof code, "%04d", static_cast<int>(m_random.next() * 10000) % 10000);
    const std::string codeText = code;
    m_host->onGuest = [this, codeText](std::unique_ptr<TcpLink> link) {
        NetSessionSettings settings;
        settings.role = NetRole::Host;
        settings.code = codeText;
        settings.playerName = MakePlayerName(m_settings.GetIni("Game", "player_name"));
        settings.setup =
            SetupMessage{m_setup.gameType, m_setup.gameType % 2 == 0 ? m_setup.secondsPerMove : 0,
                         ToNetStart(m_start)};
        startPlayer(std::move(link), std::move(settings));
    };

    std::string shown;
    m_announcer.Clear();
    m_announcer.AddFile("netwait");
    for (const std::string& address : localAddresses()) {
        m_announcer.AddFile("address");
        sayAddress(address);
        shown += "Адрес: " + address + "\r\n";
    }
    m_announcer.AddFile("port");
    sayAddress(std::to_string(port));
    m_announcer.AddFile("yourcode");
    sayAddress(codeText);
    shown += "Порт: " + std::to_string(port) + "\r\nКод: " + codeText + "\r\nОжидание соперника.";
    if (m_hooks.showWaiting) {
        m_hooks.showWaiting(shown);
    }
    // What a guest must type, for the scripts that time two programs.
    TimingMark("waiting code " + codeText);
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
        if (m_player) {
            m_player->session().received(bytes);
        }
    };
    m_link->tcp().onClosed = [this] {
        if (m_player) {
            m_player->session().linkClosed();
        }
    };
    m_player->session().start();
}

void NetworkGame::stop() {
    if (m_player) {
        m_player->session().close();
    }
    m_player.reset();
    m_link.reset();
    m_join.reset();
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

void NetworkGame::sayAddress(const std::string& address) {
    for (const char c : address) {
        m_announcer.AddFile(NetEntry::CharPhrase(QLatin1Char(c)));
    }
}

// The host keeps waiting after a caller that failed (a mistyped code, another
// version): it hears why, and the next caller may be the guest. A joining
// player hears why and stays at the code, to try again.
void NetworkGame::failBeforeGame(NetFault fault) {
    const bool keepWaiting = m_role == NetRole::Host && m_host != nullptr && m_host->isListening();
    // Reports may come from inside the session, the link or the joiner: they
    // are let go once the call that reported has returned.
    m_clock.singleShot(0, [this, keepWaiting, alive = std::weak_ptr<char>(m_life)] {
        if (alive.expired()) {
            return;
        }
        if (keepWaiting && m_host) {
            m_player.reset();
            m_link.reset();
            m_host->guestGone();
        } else {
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
    if (!keepWaiting && m_hooks.backToPage) {
        m_hooks.backToPage();
    }
}

}  // namespace korvel
