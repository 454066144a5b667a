#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace korvel {

// A cell's content: 0 empty, 1 a white disc (player 1), 2 a black disc
// (player 2). The opponent of player p is 3 - p.
using CellCode = std::int16_t;

constexpr int kBoardSize = 8;
constexpr int kCellCount = 64;

// Index of the cell at column 1..8 (a..h) and row 1..8 (row 1 at the bottom).
constexpr int CellIndex(int col, int row) {
    return (col - 1) + (row - 1) * kBoardSize;
}

constexpr bool OnBoard(int col, int row) {
    return col >= 1 && col <= kBoardSize && row >= 1 && row <= kBoardSize;
}

// The 64 cells of a position, column-fastest: index (column - 1) + (row - 1) * 8.
struct Board {
    std::array<CellCode, kCellCount> cells{};

    CellCode at(int col, int row) const {
        return cells[static_cast<std::size_t>(CellIndex(col, row))];
    }
    CellCode& at(int col, int row) { return cells[static_cast<std::size_t>(CellIndex(col, row))]; }
    void clear() { cells.fill(0); }
    bool operator==(const Board&) const = default;
};

// After CountFlips: the mover's code on every disc the tested move would turn,
// 0 elsewhere. Same layout as Board.
using FlipMask = Board;

// The standard opening: d4, e5 white; e4, d5 black.
void SetStandardPosition(Board& board);

// Number of the opponent's discs a disc of `player` on (col, row) would turn.
// An occupied cell gives 0 and leaves `mask` as it was; otherwise `mask` is
// rebuilt. A move is legal exactly when the count is above 0.
int CountFlips(const Board& board, int col, int row, int player, FlipMask& mask);
int CountFlips(const Board& board, int col, int row, int player);

// True when `player` has a legal move somewhere.
bool HasLegalMove(const Board& board, int player);

// One disc of a played move, in the order their sounds are played.
struct DiscChange {
    int col;
    int row;
    CellCode code;
};

// Plays `player`'s disc on (col, row) and turns the discs of `mask` (from a
// CountFlips of the same cell and player). Returns the placed disc first, then
// the turned discs in column-major order a1..a8, b1.., h8.
std::vector<DiscChange> PlayMove(Board& board, int col, int row, int player, const FlipMask& mask);

struct DiscCount {
    int white = 0;  // player 1
    int black = 0;  // player 2
    int total() const { return white + black; }
};

DiscCount CountDiscs(const Board& board);

// The game is over when a colour has gone, after more than one consecutive
// pass (`passCount` above 1), or when all 64 cells are filled.
bool IsGameOver(const DiscCount& count, int passCount);

// The greedy cell for `player`: the first cell in column-major order (a1, a2,
// .., a8, b1, ..) with the strictly largest flip count. Returns 0 when the
// player has no move, else column * 10 + row.
int GreedyCell(const Board& board, int player);

}  // namespace korvel
