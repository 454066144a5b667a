#include "game/NetTurns.h"

#include <algorithm>

#include "game/GameTable.h"

namespace korvel {

NetTurns::NetTurns(int localPlayer, int gameType, int secondsPerMove,
                   std::optional<std::pair<Board, int>> start)
    : m_local(localPlayer),
      m_timed(gameType % 2 == 0),
      m_staged(gameType > 2),
      m_secondsPerMove(secondsPerMove),
      m_firstPlayer(start ? start->second : 1) {
    if (start) {
        m_startBoard = start->first;
    } else {
        SetStandardPosition(m_startBoard);
    }
    beginStage();
}

void NetTurns::beginStage() {
    m_board = m_startBoard;
    m_mover = m_firstPlayer;
    m_turn = 1;
    m_passCount = -1;
    m_lastTimedOut = 0;
    m_stageAt[1] = m_stageAt[2] = -1;
}

bool NetTurns::legal(Kind kind, int col, int row) const {
    return LegalTurn(kind, col, row, m_board, m_mover, m_timed);
}

// The turn played on the position as the game plays it: a move or a pass ends
// the stage when the rules say it is over, and the winner (on a draw, the
// same player) begins the next stage of a match.
void NetTurns::apply(Kind kind, int col, int row, std::int64_t nowMs) {
    bool checkEnd = false;
    if (kind == Kind::Move) {
        FlipMask mask;
        CountFlips(m_board, col, row, m_mover, mask);
        PlayMove(m_board, col, row, m_mover, mask);
        m_passCount = -1;
        checkEnd = true;
    } else if (kind == Kind::Pass) {
        checkEnd = ++m_passCount > 1;
    } else {
        m_lastTimedOut = m_turn;
    }
    m_lastTurnAt = nowMs;
    ++m_turn;
    m_mover = 3 - m_mover;
    const DiscCount count = CountDiscs(m_board);
    if (!checkEnd || !IsGameOver(count, m_passCount)) {
        return;
    }
    if (count.white != count.black) {
        m_firstPlayer = count.white > count.black ? 1 : 2;
    }
    ++m_stage;
    if (!m_staged || m_stage > Match::kStageCount) {
        m_over = true;
        return;
    }
    beginStage();
}

int NetTurns::local(Kind kind, int col, int row, std::int64_t nowMs) {
    if (!localToMove() || (kind != Kind::TimeOut && !legal(kind, col, row))) {
        return 0;
    }
    const int turn = m_turn;
    apply(kind, col, row, nowMs);
    return turn;
}

NetTurns::Verdict NetTurns::remote(Kind kind, int turn, int col, int row, std::int64_t nowMs) {
    const int remote = 3 - m_local;
    if (kind == Kind::TimeOut && turn + 1 == m_turn && m_lastTimedOut == turn) {
        return Verdict::Late;
    }
    if (m_over || turn != m_turn || m_stageAt[m_mover] < 0 ||
        (m_mover != remote && kind != Kind::TimeOut)) {
        return Verdict::OutOfTurn;
    }
    if (!legal(kind, col, row)) {
        return kind == Kind::TimeOut ? Verdict::EarlyTimeOut : Verdict::Illegal;
    }
    // A time-out, of its own turn or of ours (its clock found ours run out),
    // only once the mover's clock as read here has nearly run out.
    if (kind == Kind::TimeOut &&
        nowMs - turnStart() < std::int64_t{m_secondsPerMove} * 1000 - kTimeOutToleranceMs) {
        return Verdict::EarlyTimeOut;
    }
    apply(kind, col, row, nowMs);
    return Verdict::Taken;
}

bool NetTurns::remoteStage(int stage, std::int64_t nowMs) {
    const int remote = 3 - m_local;
    if (m_over || stage != m_stage || m_stageAt[remote] >= 0) {
        return false;
    }
    m_stageAt[remote] = nowMs;
    return true;
}

void NetTurns::localStage(int stage, std::int64_t nowMs) {
    if (!m_over && stage == m_stage && m_stageAt[m_local] < 0) {
        m_stageAt[m_local] = nowMs;
    }
}

int NetTurns::remoteTimedOut(std::int64_t nowMs) {
    if (m_over || m_mover == m_local || !m_timed) {
        return 0;
    }
    const int turn = m_turn;
    apply(Kind::TimeOut, 0, 0, nowMs);
    return turn;
}

std::int64_t NetTurns::turnStart() const {
    if (m_over || m_stageAt[m_mover] < 0) {
        return -1;
    }
    return std::max(m_lastTurnAt, m_stageAt[m_mover]);
}

// The mover's own clock ends the turn at the first tick after its seconds are
// spent, at most a second later; then the grace.
std::int64_t NetTurns::remoteDeadline() const {
    const std::int64_t start = turnStart();
    if (!m_timed || m_mover == m_local || start < 0) {
        return -1;
    }
    return start + (std::int64_t{m_secondsPerMove} + 1) * 1000 + kGraceMs;
}

std::string_view NetVerdictName(NetTurns::Verdict verdict) {
    switch (verdict) {
        case NetTurns::Verdict::Taken:
            return "taken";
        case NetTurns::Verdict::OutOfTurn:
            return "out-of-turn";
        case NetTurns::Verdict::Illegal:
            return "illegal";
        case NetTurns::Verdict::EarlyTimeOut:
            return "early-time-out";
        case NetTurns::Verdict::Late:
            return "late";
    }
    return "?";
}

}  // namespace korvel
