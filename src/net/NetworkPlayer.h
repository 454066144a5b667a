#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "game/Game.h"
#include "game/NetTurns.h"
#include "game/RemotePlayer.h"
#include "net/NetSession.h"

namespace korvel {

// One side of a network game between the protocol session and the game: the
// other side's moves, passes and time-outs go to the game, the local
// player's go out, each with its turn number; the game begins once the
// handshake is done. The turns are checked as they come (NetTurns): one out of
// turn or order ends the connection with bye 5, an illegal one with bye 8;
// an other side whose time has run out (grace given) loses its turn here, and
// is told so with the time-out of its turn. A fault before
// the game began is handed to `failedBeforeGame`; one during the game is the
// game's to tell. It owns the session over a link it borrows.
class NetworkPlayer final : public NetListener, public RemotePlayer {
  public:
    struct Hooks {
        // The handshake is done; the game begins right after.
        std::function<void()> starting;
        // No game came of it, and why. The player may be destroyed after it returns.
        std::function<void(NetFault fault)> failedBeforeGame;
    };

    // `hostStart` is the host's start position (the discs, the first mover);
    // a guest's comes with the host's setup.
    NetworkPlayer(Clock& clock, Game& game, NetLink& link, NetSessionSettings settings,
                  std::optional<std::pair<Board, int>> hostStart, Hooks hooks);
    ~NetworkPlayer() override;
    NetworkPlayer(const NetworkPlayer&) = delete;
    NetworkPlayer& operator=(const NetworkPlayer&) = delete;

    NetSession& session() { return m_session; }
    bool playing() const { return m_playing; }

    // NetListener.
    void connected(const SetupMessage& setup, const std::string& peerName) override;
    void moveReceived(int turn, int col, int row) override;
    void passReceived(int turn) override;
    void timeOutReceived(int turn) override;
    void quitReceived() override;
    void stageReceived(int stage) override;
    void failed(NetFault fault) override;

    // RemotePlayer.
    void moved(int col, int row) override;
    void passed() override;
    void timedOut() override;
    void quit() override;
    void stageStarted(int stage) override;
    void illegalMove() override;

  private:
    // What the checks made of the other side's turn: taken to the game, or the end.
    void judged(NetTurns::Verdict verdict, NetTurns::Kind kind, int col, int row, bool ours);
    // The other side's clock: its time-out, grace given, is watched for.
    void watch();

    Clock& m_clock;
    Game& m_game;
    Hooks m_hooks;
    std::optional<std::pair<Board, int>> m_hostStart;
    bool m_playing = false;
    std::optional<NetTurns> m_turns;
    Clock::TimerId m_watch = 0;
    NetSession m_session;  // last: it may report while the rest is built
};

// The start position as the setup message carries it, and back.
std::optional<NetStartPosition> ToNetStart(const std::optional<std::pair<Board, int>>& start);
std::optional<std::pair<Board, int>> FromNetStart(const std::optional<NetStartPosition>& start);

}  // namespace korvel
