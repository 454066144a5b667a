#include "net/NetworkPlayer.h"

#include <algorithm>

namespace korvel {

std::optional<NetStartPosition> ToNetStart(const std::optional<std::pair<Board, int>>& start) {
    if (!start) {
        return std::nullopt;
    }
    NetStartPosition position;
    for (std::size_t i = 0; i < position.cells.size(); ++i) {
        position.cells[i] = static_cast<std::uint8_t>(start->first.cells[i]);
    }
    position.firstPlayer = start->second;
    return position;
}

std::optional<std::pair<Board, int>> FromNetStart(const std::optional<NetStartPosition>& start) {
    if (!start) {
        return std::nullopt;
    }
    Board board;
    for (std::size_t i = 0; i < board.cells.size(); ++i) {
        board.cells[i] = static_cast<CellCode>(start->cells[i]);
    }
    return std::pair{board, start->firstPlayer};
}

NetworkPlayer::NetworkPlayer(Clock& clock, Game& game, NetLink& link, NetSessionSettings settings,
                             std::optional<std::pair<Board, int>> hostStart, Hooks hooks)
    : m_clock(clock),
      m_game(game),
      m_hooks(std::move(hooks)),
      m_hostStart(std::move(hostStart)),
      m_session(clock, link, *this, std::move(settings)) {}

// Gone with the connection: the game, back at the menu or closing, sends
// nothing more to it.
NetworkPlayer::~NetworkPlayer() {
    if (m_watch != 0) {
        m_clock.stopTimer(m_watch);
    }
    m_game.forgetRemote(this);
}

void NetworkPlayer::connected(const SetupMessage& setup, const std::string&) {
    const bool host = m_session.role() == NetRole::Host;
    NetworkSide side;
    side.remote = this;
    side.localPlayer = host ? 1 : 2;
    side.start = host ? m_hostStart : FromNetStart(setup.start);
    m_turns.emplace(side.localPlayer, setup.gameType, setup.secondsPerMove, side.start);
    m_playing = true;
    if (m_hooks.starting) {
        m_hooks.starting();
    }
    m_game.beginNetwork(GameSetup{setup.gameType, 3, 1, setup.secondsPerMove}, side);
}

void NetworkPlayer::moveReceived(int turn, int col, int row) {
    using Kind = NetTurns::Kind;
    judged(m_turns->remote(Kind::Move, turn, col, row, m_clock.tickCount()), Kind::Move, col, row,
           false);
}

void NetworkPlayer::passReceived(int turn) {
    using Kind = NetTurns::Kind;
    judged(m_turns->remote(Kind::Pass, turn, 0, 0, m_clock.tickCount()), Kind::Pass, 0, 0, false);
}

// A time-out of the other side's turn, or of ours: its clock of our turn ran
// out before ours said so.
void NetworkPlayer::timeOutReceived(int turn) {
    using Kind = NetTurns::Kind;
    const bool ours = m_turns->localToMove();
    judged(m_turns->remote(Kind::TimeOut, turn, 0, 0, m_clock.tickCount()), Kind::TimeOut, 0, 0,
           ours);
}

void NetworkPlayer::judged(NetTurns::Verdict verdict, NetTurns::Kind kind, int col, int row,
                           bool ours) {
    switch (verdict) {
        case NetTurns::Verdict::Late:
            return;
        case NetTurns::Verdict::OutOfTurn:
            m_session.fail(NetFault::OutOfTurn);
            return;
        case NetTurns::Verdict::Illegal:
            m_session.fail(NetFault::IllegalMove);
            return;
        case NetTurns::Verdict::EarlyTimeOut:
            m_session.fail(NetFault::EarlyTimeOut);
            return;
        case NetTurns::Verdict::Taken:
            break;
    }
    watch();
    if (kind == NetTurns::Kind::Move) {
        m_game.remoteMove(col, row);
    } else if (kind == NetTurns::Kind::Pass) {
        m_game.remotePass();
    } else if (ours) {
        m_game.localTimedOut();
    } else {
        m_game.remoteTimeOut();
    }
}

void NetworkPlayer::watch() {
    if (m_watch != 0) {
        m_clock.stopTimer(m_watch);
        m_watch = 0;
    }
    const std::int64_t deadline = m_turns && m_playing ? m_turns->remoteDeadline() : -1;
    if (deadline < 0) {
        return;
    }
    const auto delay = std::max<std::int64_t>(0, deadline - m_clock.tickCount());
    m_watch = m_clock.startTimer(static_cast<int>(delay), [this] {
        m_clock.stopTimer(m_watch);
        m_watch = 0;
        if (const int turn = m_turns->remoteTimedOut(m_clock.tickCount()); turn != 0) {
            m_session.sendTimeOut(turn);
            m_game.remoteTimeOut();
        }
        watch();
    });
}

void NetworkPlayer::quitReceived() {
    failed(NetFault::PeerQuit);
}

// The other side's clock of a stage begins; a stage out of its order is a fault.
void NetworkPlayer::stageReceived(int stage) {
    if (!m_turns->remoteStage(stage, m_clock.tickCount())) {
        m_session.fail(NetFault::OutOfTurn);
        return;
    }
    watch();
}

void NetworkPlayer::failed(NetFault fault) {
    if (!m_playing) {
        if (m_hooks.failedBeforeGame) {
            m_hooks.failedBeforeGame(fault);  // last: it may destroy this
        }
        return;
    }
    m_playing = false;
    watch();
    m_game.remoteLost(std::string(NetFaultPhrase(fault)), std::string(NetFaultText(fault)));
}

void NetworkPlayer::moved(int col, int row) {
    if (const int turn =
            m_turns ? m_turns->local(NetTurns::Kind::Move, col, row, m_clock.tickCount()) : 0) {
        m_session.sendMove(turn, col, row);
        watch();
    }
}

void NetworkPlayer::passed() {
    if (const int turn =
            m_turns ? m_turns->local(NetTurns::Kind::Pass, 0, 0, m_clock.tickCount()) : 0) {
        m_session.sendPass(turn);
        watch();
    }
}

void NetworkPlayer::timedOut() {
    if (const int turn =
            m_turns ? m_turns->local(NetTurns::Kind::TimeOut, 0, 0, m_clock.tickCount()) : 0) {
        m_session.sendTimeOut(turn);
        watch();
    }
}

void NetworkPlayer::quit() {
    m_playing = false;
    m_session.sendQuit();
}

void NetworkPlayer::stageStarted(int stage) {
    if (m_turns) {
        m_turns->localStage(stage, m_clock.tickCount());
    }
    m_session.sendStage(stage);
    watch();
}

void NetworkPlayer::illegalMove() {
    m_session.fail(NetFault::IllegalMove);
}

}  // namespace korvel
