#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/PortMapper.h"
#include "game/Game.h"
#include "net/HostNotice.h"
#include "net/NetDoor.h"
#include "net/NetworkPlayer.h"

namespace korvel {

class Announcer;
class RandomSource;
class Settings;
class TcpHost;
class TcpJoin;
class TcpLink;

// A network game from the menu's choice to the board and back: hosting
// (listening on the stored port, the addresses and a fresh code said and
// shown) or joining (the typed address, the code, a time limit), and the
// network player over the TCP link. What the player must know on the way is
// said; a fault before the game began leaves the player where they were (the
// host keeps waiting for the next caller), one during the game is the game's
// to tell.
//
// A host takes up to kMostCallers callers at once, each in a handshake of
// its own limited to kCallerLimitMs; the first whose hello the code's keeper
// admits is the guest, and the rest hear that the host is busy. More callers
// than that push out the oldest one that has said nothing yet. A caller that
// never said hello is never said or shown; of the rest the host hears the
// first wrong code of each code, each new code, and another version once a code.
class NetworkGame {
  public:
    struct Hooks {
        // The host waits: what to show while the guest is awaited.
        std::function<void(const std::string& text)> showWaiting;
        // The game begins: the board takes the window and the keyboard.
        std::function<void()> showBoard;
        // No game came of it: the host's notice ends; a joining player stays at the code.
        std::function<void()> backToPage;
        // A fault the player must see as well as hear: its phrase and its text.
        std::function<void(const std::string& phrase, const std::string& text)> tell;
        // Whether the menu still waits for this game; none: always.
        std::function<bool()> awaited;
    };

    NetworkGame(Clock& clock, Settings& settings, Announcer& announcer, RandomSource& random,
                Game& game, Hooks hooks);
    ~NetworkGame();
    NetworkGame(const NetworkGame&) = delete;
    NetworkGame& operator=(const NetworkGame&) = delete;

    // Listens for a guest to play `setup` with; `start` is the host's start
    // position, when start.txt gives one.
    void host(const GameSetup& setup, std::optional<std::pair<Board, int>> start);
    // Connects to `address` ("name", "1.2.3.4", "[::1]", each with an optional
    // ":port") and plays with `code`.
    void join(const std::string& address, const std::string& code);
    // The player stopped waiting, or the game went back to the menu: the
    // connection ends and nothing more is reported.
    void stop();

    // The link of the game under way (none before a guest came and after the
    // game), and whether a join is still connecting.
    TcpLink* link();
    bool joining() const;

    static constexpr std::size_t kMostCallers = 64;
    static constexpr int kCallerLimitMs = 5000;

    // Where the host's codes come from: the system's random source unless a test gives its own.
    CodeSource* codeSource = nullptr;
    // The callers in their handshake (none once a guest plays).
    std::size_t callerCount() const { return m_callers.size(); }
    // The machine's addresses as the host says and shows them: the local
    // network's, and the global IPv6 ones.
    std::function<std::vector<std::string>()> localAddresses;
    std::function<std::vector<std::string>()> globalAddresses;
    // Asks the home router to forward the port while hosting; none: never
    // asked. [Net] portmap=0 switches it off.
    PortMapper* portMapper = nullptr;

  private:
    class Link;
    struct Caller;
    void takeCaller(std::unique_ptr<TcpLink> link);
    // The caller's hello is admitted: it is the guest, the others hear the host is busy.
    void admitted(Caller* caller);
    void callerFailed(Caller* caller, NetFault fault);
    // What the host hears while it waits: a wrong code, another version.
    void tellHost(NetFault fault);
    void showCode(const std::string& code);
    void startPlayer(std::unique_ptr<TcpLink> link, NetSessionSettings settings);
    // A fault before the game began: said (and shown when the player must see it).
    void failBeforeGame(NetFault fault);

    Clock& m_clock;
    Settings& m_settings;
    Announcer& m_announcer;
    RandomSource& m_random;
    Game& m_game;
    Hooks m_hooks;
    NetRole m_role = NetRole::Host;
    GameSetup m_setup;
    std::optional<std::pair<Board, int>> m_start;
    std::unique_ptr<TcpHost> m_host;
    std::unique_ptr<HostNotice> m_notice;
    std::unique_ptr<TcpJoin> m_join;
    std::unique_ptr<Link> m_link;
    std::unique_ptr<NetworkPlayer> m_player;
    SystemCodeSource m_systemCodes;
    std::unique_ptr<NetDoor> m_door;
    std::vector<std::unique_ptr<Caller>> m_callers;
    bool m_toldVersion = false;  // another version was told for this code
    std::shared_ptr<char> m_life = std::make_shared<char>();  // for reports let go later
};

// Splits a typed address into the host and the port ("[::1]:7000" gives
// "::1" and 7000; "::1" is all host); the port is `port` when none is typed,
// and 0 when the typed one is not a port.
std::pair<std::string, int> SplitAddress(const std::string& address, int port);

}  // namespace korvel
