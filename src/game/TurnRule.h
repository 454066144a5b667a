#pragma once

#include "rules/Rules.h"

namespace korvel {

// What a player may do with a turn: move, pass, or let the clock run out.
enum class TurnKind { Move, Pass, TimeOut };

// Whether `mover` may do `kind` on `board`: a time-out only in a timed game,
// a pass only without a move, a move by the rules (which leave its turned
// discs in `flips` when it is given). Both sides of a network game judge the
// other's turns by this one rule.
inline bool LegalTurn(TurnKind kind, int col, int row, const Board& board, int mover, bool timed,
                      FlipMask* flips = nullptr) {
    switch (kind) {
        case TurnKind::TimeOut:
            return timed;
        case TurnKind::Pass:
            return !HasLegalMove(board, mover);
        case TurnKind::Move:
            break;
    }
    return OnBoard(col, row) && (flips ? CountFlips(board, col, row, mover, *flips)
                                       : CountFlips(board, col, row, mover)) != 0;
}

}  // namespace korvel
