#include "rules/Rules.h"

#include "rules/Bitboard.h"

namespace korvel {
namespace {

struct Direction {
    int dc;
    int dr;
};

// Left, left-up, up, right-up, right, right-down, down, left-down.
constexpr std::array<Direction, 8> kDirections = {
    {{-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}}};

}  // namespace

void SetStandardPosition(Board& board) {
    board.clear();
    board.at(4, 4) = 1;
    board.at(5, 5) = 1;
    board.at(5, 4) = 2;
    board.at(4, 5) = 2;
}

int CountFlips(const Board& board, int col, int row, int player, FlipMask& mask) {
    if (board.at(col, row) != 0) {
        return 0;
    }
    mask.clear();
    const int opponent = 3 - player;
    int count = 0;
    for (const auto& d : kDirections) {
        int c = col + d.dc;
        int r = row + d.dr;
        int passed = 0;
        while (OnBoard(c, r) && board.at(c, r) == opponent) {
            c += d.dc;
            r += d.dr;
            ++passed;
        }
        if (passed > 0 && OnBoard(c, r) && board.at(c, r) == player) {
            for (int k = 1; k <= passed; ++k) {
                mask.at(col + d.dc * k, row + d.dr * k) = static_cast<CellCode>(player);
            }
            count += passed;
        }
    }
    return count;
}

int CountFlips(const Board& board, int col, int row, int player) {
    FlipMask mask;
    return CountFlips(board, col, row, player, mask);
}

bool HasLegalMove(const Board& board, int player) {
    return GreedyCell(board, player) != 0;
}

std::vector<DiscChange> PlayMove(Board& board, int col, int row, int player, const FlipMask& mask) {
    std::vector<DiscChange> changes;
    board.at(col, row) = static_cast<CellCode>(player);
    changes.push_back({col, row, static_cast<CellCode>(player)});
    for (int c = 1; c <= kBoardSize; ++c) {
        for (int r = 1; r <= kBoardSize; ++r) {
            const CellCode code = mask.at(c, r);
            if (code == 1 || code == 2) {
                board.at(c, r) = code;
                changes.push_back({c, r, code});
            }
        }
    }
    return changes;
}

DiscCount CountDiscs(const Board& board) {
    DiscCount count;
    for (const CellCode code : board.cells) {
        if (code == 1) {
            ++count.white;
        } else if (code == 2) {
            ++count.black;
        }
    }
    return count;
}

bool IsGameOver(const DiscCount& count, int passCount) {
    return count.white == 0 || count.black == 0 || passCount > 1 || count.total() == kCellCount;
}

int GreedyCell(const Board& board, int player) {
    bits::Bits blocked = 0;
    const bits::Position p = bits::FromBoard(board, blocked);
    const bits::Bits own = p.of(player);
    const bits::Bits opp = p.of(3 - player);
    // Lowest bit first is column-major order, so the first of equal counts wins.
    bits::Bits moves = bits::LegalMoves(own, opp, ~(own | opp | blocked));
    int bestCount = 0;
    int bestBit = -1;
    while (moves) {
        const int bit = bits::LowestBit(moves);
        moves &= moves - 1;
        const int n = bits::Count(bits::Flips(own, opp, bits::Bits{1} << bit));
        if (n > bestCount) {
            bestCount = n;
            bestBit = bit;
        }
    }
    return bestBit < 0 ? 0 : bits::ColumnOf(bestBit) * 10 + bits::RowOf(bestBit);
}

}  // namespace korvel
