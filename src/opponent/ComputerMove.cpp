#include "opponent/ComputerMove.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "opponent/LookAhead.h"
#include "rules/Bitboard.h"

namespace korvel {
namespace {

using bits::Bits;
using bits::CellBit;

struct Cell {
    int col;
    int row;
};

// The four first moves of player 2 from the standard opening: d3, c4, e6, f5.
constexpr std::array<Cell, 4> kOpening = {{{4, 3}, {3, 4}, {5, 6}, {6, 5}}};
constexpr std::array<Cell, 4> kCornerCells = {{{1, 1}, {1, 8}, {8, 1}, {8, 8}}};
constexpr std::uint32_t kHintSeed = 13;
constexpr std::array<Cell, 4> kInnerCornerCells = {{{3, 3}, {3, 6}, {6, 3}, {6, 6}}};

// Discs player 2 would turn on (col, row); 0 when the cell is not empty.
int FlipCount(const bits::Position& p, Bits blocked, const Cell& cell) {
    const Bits move = CellBit(cell.col, cell.row);
    if ((p.white | p.black | blocked) & move) {
        return 0;
    }
    return bits::Count(bits::Flips(p.black, p.white, move));
}

// The candidate turning the most discs, the earlier one on equal counts;
// empty when none of them is a legal move.
std::string BestOf(const bits::Position& p, Bits blocked, const std::array<Cell, 4>& cells) {
    int bestCount = 0;
    std::string best;
    for (const Cell& cell : cells) {
        const int n = FlipCount(p, blocked, cell);
        if (n > bestCount) {
            bestCount = n;
            best = MoveText(cell.col, cell.row);
        }
    }
    return best;
}

}  // namespace

std::string MoveText(int col, int row) {
    return {static_cast<char>('0' + col), static_cast<char>('0' + row)};
}

OpponentMove ComputerMove(const Board& board, int level, int moveNumber, int firstPlayer,
                          RandomSource& random) {
    Bits blocked = 0;
    const bits::Position root = bits::FromBoard(board, blocked);

    // The computer opens the game: one of the four opening cells at random. A
    // staged start position can leave the drawn cell occupied or illegal; then
    // the other rules choose instead.
    if (firstPlayer == 2 && moveNumber == 1) {
        const double r = random.next();
        const Cell& cell =
            kOpening[static_cast<std::size_t>(std::clamp(static_cast<int>(4 * r), 0, 3))];
        if (FlipCount(root, blocked, cell) > 0) {
            return {MoveText(cell.col, cell.row), false};
        }
    }
    if (level == 1) {
        return {};
    }
    if (std::string corner = BestOf(root, blocked, kCornerCells); !corner.empty()) {
        return {corner, false};
    }
    if (std::string inner = BestOf(root, blocked, kInnerCornerCells); !inner.empty()) {
        return {inner, false};
    }
    if (level < 2 || level > 4) {
        return {};
    }
    return detail::ChooseByLookAhead(root, blocked, level, random);
}

std::string MasterHint(const Board& board, int player, int moveNumber) {
    // The opponent always plays player 2: for player 1 the colours are swapped.
    Board asSecond = board;
    if (player == 1) {
        for (CellCode& code : asSecond.cells) {
            code = code == 1 || code == 2 ? static_cast<CellCode>(3 - code) : code;
        }
    }
    if (!HasLegalMove(asSecond, 2)) {
        return {};
    }
    SeededRandom hintRandom(kHintSeed);
    // Player 1 opening: the computer's random first-move rule does not apply.
    return PlayedCell(asSecond, ComputerMove(asSecond, 4, moveNumber, 1, hintRandom));
}

std::string PlayedCell(const Board& board, const OpponentMove& move) {
    if (!move.text.empty()) {
        return move.text;
    }
    const int greedy = GreedyCell(board, 2);
    return greedy == 0 ? std::string() : MoveText(greedy / 10, greedy % 10);
}

}  // namespace korvel
