#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "game/TurnRule.h"

namespace korvel {

// The turns of a network game as both sides must agree on them, kept as they
// are made (ours when they are sent, the other side's when they arrive), not
// as the game shows them: a position of its own, whose turn it is, its number,
// the stage, and each player's clock. What the other side sends is checked
// here the moment it comes: a turn that is not its own or carries another
// number, a stage out of its order, an illegal move, a time-out while its
// clock still runs.
//
// The clocks: the mover's time for a turn runs from the moment the turn
// before it was made (sent by one side, received by the other) or, for the
// first turn of a stage, from the mover's start of the stage (its "stage N"),
// whichever is later; the mover ends the turn by time at the tick after its
// seconds are spent. The other side gives it kGraceMs more for the network.
class NetTurns {
  public:
    using Kind = TurnKind;
    enum class Verdict { Taken, OutOfTurn, Illegal, EarlyTimeOut, Late };

    // A peer's time-out is taken once its clock, as read here, shows less
    // than this left.
    static constexpr int kTimeOutToleranceMs = 1000;
    static constexpr int kGraceMs = 2000;

    // `gameType` 1..4, `secondsPerMove` for timed types; `start` the discs and
    // the first mover (the standard opening and white when none).
    NetTurns(int localPlayer, int gameType, int secondsPerMove,
             std::optional<std::pair<Board, int>> start);

    // Our own turn, at `nowMs`: the number it is sent with; 0 when it is not
    // ours to make (nothing changes then).
    int local(Kind kind, int col, int row, std::int64_t nowMs);
    // The other side's turn as it came. Taken when it is its turn and number,
    // and the rules allow it. Late: a time-out of a turn already ended by time
    // on both sides (the two crossed); nothing changes.
    Verdict remote(Kind kind, int turn, int col, int row, std::int64_t nowMs);
    // The other side's stage begins (its clock of it starts); false when it is
    // not the stage due.
    bool remoteStage(int stage, std::int64_t nowMs);
    // Our own stage begins: our clock of it starts.
    void localStage(int stage, std::int64_t nowMs);
    // The other side's time has run out, grace given: its turn ends by time
    // here, and the number it ended is returned to tell the other side (0 when
    // it is not the other side's turn).
    int remoteTimedOut(std::int64_t nowMs);

    // When the mover's clock began for the turn to make; -1 until it begins.
    std::int64_t turnStart() const;
    // When the other side's time runs out with the grace; -1 when it is not
    // its turn or its clock has not begun.
    std::int64_t remoteDeadline() const;

    int turn() const { return m_turn; }
    int stage() const { return m_stage; }
    int mover() const { return m_mover; }
    bool over() const { return m_over; }
    bool localToMove() const { return !m_over && m_mover == m_local; }

  private:
    bool legal(Kind kind, int col, int row) const;
    void apply(Kind kind, int col, int row, std::int64_t nowMs);
    void beginStage();

    int m_local;
    bool m_timed;
    bool m_staged;
    int m_secondsPerMove;
    Board m_startBoard;
    int m_firstPlayer;
    Board m_board;
    int m_mover = 1;
    int m_turn = 1;
    int m_stage = 1;
    int m_passCount = -1;
    bool m_over = false;
    int m_lastTimedOut = 0;                    // the number of the last turn ended by time
    std::int64_t m_lastTurnAt = 0;             // when the last turn was made
    std::int64_t m_stageAt[3] = {-1, -1, -1};  // each player's start of the current stage
};

std::string_view NetVerdictName(NetTurns::Verdict verdict);

}  // namespace korvel
