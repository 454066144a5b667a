#pragma once

#include <string>

#include "opponent/RandomSource.h"
#include "rules/Rules.h"

namespace korvel {

// The computer's answer for one turn. `text` is the cell to play, the column
// digit then the row digit ("43" is d3), or empty when the opponent leaves the
// choice to the board, which then plays its greedy cell. `sayNoReply` asks the
// board to queue the phrase "notfisha": the move leaves the person without a
// reply and does not fill the board.
struct OpponentMove {
    std::string text;
    bool sayNoReply = false;

    bool operator==(const OpponentMove&) const = default;
};

// Chooses the move of the computer, which is always player 2, on `board`.
// `level` is 1..4 ("НОВИЧЁК" .. "МАСТЕР"), `moveNumber` the board's move
// number (1 for the first move), `firstPlayer` the player who opened the game.
// Fractions are drawn from `random` only by the opening rule and when several
// equally safe moves are left to choose from. The named cell is always a legal
// move of player 2. The board calls this only when player 2 can move.
OpponentMove ComputerMove(const Board& board, int level, int moveNumber, int firstPlayer,
                          RandomSource& random);

// The cell that the board plays for the computer: the opponent's cell, or the
// greedy cell (GreedyCell) when the opponent left the choice to the board;
// empty when player 2 cannot move.
std::string PlayedCell(const Board& board, const OpponentMove& move);

// The hint for `player` (1 or 2) on `board`: the cell the master level (4)
// would play in that player's place, as a move text; empty when the player
// cannot move. The draws among equally safe moves come from a source of its
// own with a fixed seed, so a hint is the same every time it is asked for and
// never changes what the game's own random source gives the computer later.
std::string MasterHint(const Board& board, int player, int moveNumber);

// "43" for (4, 3).
std::string MoveText(int col, int row);

}  // namespace korvel
