#pragma once

#include <bit>
#include <cstdint>

#include "rules/Rules.h"

namespace korvel::bits {

// A set of cells as 64 bits. Bit (column - 1) * 8 + (row - 1) stands for the
// cell (column, row), so taking bits from the lowest upwards visits the cells
// column by column, a1, a2, .., a8, b1, .., h8: the order in which the board
// and the opponent scan for moves.
using Bits = std::uint64_t;

constexpr int BitOf(int col, int row) {
    return (col - 1) * 8 + (row - 1);
}
constexpr Bits CellBit(int col, int row) {
    return Bits{1} << BitOf(col, row);
}
constexpr int ColumnOf(int bit) {
    return bit / 8 + 1;
}
constexpr int RowOf(int bit) {
    return bit % 8 + 1;
}

constexpr Bits kRow1 = 0x0101010101010101ULL;
constexpr Bits kRow8 = 0x8080808080808080ULL;

// One step of every cell of `b` by DC columns and DR rows; cells leaving the
// board are dropped.
template <int DC, int DR>
constexpr Bits Step(Bits b) {
    constexpr int shift = DC * 8 + DR;
    Bits r = shift > 0 ? b << shift : b >> -shift;
    if constexpr (DR == 1) {
        r &= ~kRow1;
    } else if constexpr (DR == -1) {
        r &= ~kRow8;
    }
    return r;
}

// The discs of both players; cells in neither set are empty unless blocked.
struct Position {
    Bits white = 0;  // player 1
    Bits black = 0;  // player 2

    Bits of(int player) const { return player == 1 ? white : black; }
};

template <int DC, int DR>
inline Bits MovesToward(Bits own, Bits opp) {
    Bits t = Step<DC, DR>(own) & opp;
    t |= Step<DC, DR>(t) & opp;
    t |= Step<DC, DR>(t) & opp;
    t |= Step<DC, DR>(t) & opp;
    t |= Step<DC, DR>(t) & opp;
    t |= Step<DC, DR>(t) & opp;
    return Step<DC, DR>(t);
}

// Cells of `empty` where the owner of `own` would turn at least one disc of `opp`.
inline Bits LegalMoves(Bits own, Bits opp, Bits empty) {
    const Bits m = MovesToward<-1, 0>(own, opp) | MovesToward<-1, 1>(own, opp) |
                   MovesToward<0, 1>(own, opp) | MovesToward<1, 1>(own, opp) |
                   MovesToward<1, 0>(own, opp) | MovesToward<1, -1>(own, opp) |
                   MovesToward<0, -1>(own, opp) | MovesToward<-1, -1>(own, opp);
    return m & empty;
}

template <int DC, int DR>
inline Bits FlipsToward(Bits own, Bits opp, Bits move) {
    Bits turned = 0;
    Bits x = Step<DC, DR>(move);
    while (x & opp) {
        turned |= x;
        x = Step<DC, DR>(x);
    }
    return (x & own) ? turned : 0;
}

// The discs of `opp` that a disc of the owner of `own` on the single cell
// `move` would turn (the cell must be empty).
inline Bits Flips(Bits own, Bits opp, Bits move) {
    return FlipsToward<-1, 0>(own, opp, move) | FlipsToward<-1, 1>(own, opp, move) |
           FlipsToward<0, 1>(own, opp, move) | FlipsToward<1, 1>(own, opp, move) |
           FlipsToward<1, 0>(own, opp, move) | FlipsToward<1, -1>(own, opp, move) |
           FlipsToward<0, -1>(own, opp, move) | FlipsToward<-1, -1>(own, opp, move);
}

// The position after `player` puts a disc on the cell `move`; `turned` comes
// from Flips for the same cell and player.
inline Position Played(const Position& p, int player, Bits move, Bits turned) {
    if (player == 1) {
        return {p.white | move | turned, p.black & ~turned};
    }
    return {p.white & ~turned, p.black | move | turned};
}

// The board's discs as bit sets. `blocked` gets the cells holding a code other
// than 0, 1 or 2: not empty, yet nobody's disc.
inline Position FromBoard(const Board& board, Bits& blocked) {
    Position p;
    blocked = 0;
    for (int col = 1; col <= kBoardSize; ++col) {
        for (int row = 1; row <= kBoardSize; ++row) {
            const CellCode code = board.at(col, row);
            if (code == 1) {
                p.white |= CellBit(col, row);
            } else if (code == 2) {
                p.black |= CellBit(col, row);
            } else if (code != 0) {
                blocked |= CellBit(col, row);
            }
        }
    }
    return p;
}

inline int LowestBit(Bits b) {
    return std::countr_zero(b);
}
inline int Count(Bits b) {
    return std::popcount(b);
}

}  // namespace korvel::bits
