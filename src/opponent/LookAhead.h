#pragma once

#include "opponent/ComputerMove.h"
#include "rules/Bitboard.h"

namespace korvel::detail {

// The look-ahead choice of levels 2 to 4 (2, 4 or 6 plies) for player 2 on
// `root`. A move that leaves the person without a reply comes first; otherwise
// each move is rated by the most dangerous cell the person can reach in its
// lines, and a move of the lowest rating is played, drawn from `random` when
// there are several.
//
// Works on bit sets and the call stack only: no list of lines, no stored
// positions, nothing that grows with the tree. A move is given up as soon as
// its rating exceeds that of a move already rated, since it can no longer be
// chosen.
OpponentMove ChooseByLookAhead(const bits::Position& root, bits::Bits blocked, int level,
                               RandomSource& random);

}  // namespace korvel::detail
