#include "OpponentTestSupport.h"

#include <random>

#include "Bitboard.h"

namespace korvel::testing {

Board BoardFrom(const std::vector<std::string>& rows) {
    Board board;
    for (int row = 8; row >= 1; --row) {
        const std::string& line = rows.at(static_cast<std::size_t>(8 - row));
        for (int col = 1; col <= 8; ++col) {
            const char c = line.at(static_cast<std::size_t>(col - 1));
            board.at(col, row) = c == 'W' ? 1 : c == 'B' ? 2 : 0;
        }
    }
    return board;
}

double ScriptedRandom::next() {
    const std::size_t i = std::min(static_cast<std::size_t>(m_draws), m_values.size() - 1);
    ++m_draws;
    return m_values[i];
}

Board Swapped(const Board& board) {
    Board b = board;
    for (CellCode& c : b.cells) {
        c = c == 0 ? 0 : static_cast<CellCode>(3 - c);
    }
    return b;
}

std::vector<GamePosition> RandomGame(std::uint32_t seed) {
    std::mt19937 engine(seed);
    Board board;
    SetStandardPosition(board);
    int player = 1 + static_cast<int>(engine() % 2);
    bool passed = false;
    std::vector<GamePosition> positions;
    for (;;) {
        std::vector<int> moves;
        for (int col = 1; col <= 8; ++col) {
            for (int row = 1; row <= 8; ++row) {
                if (CountFlips(board, col, row, player) > 0) {
                    moves.push_back(col * 10 + row);
                }
            }
        }
        if (moves.empty()) {
            if (passed || !HasLegalMove(board, 3 - player)) {
                break;
            }
            passed = true;
            player = 3 - player;
            continue;
        }
        positions.push_back(
            {player == 2 ? board : Swapped(board), CountDiscs(board).total(), passed});
        const int move = moves[engine() % moves.size()];
        FlipMask mask;
        CountFlips(board, move / 10, move % 10, player, mask);
        PlayMove(board, move / 10, move % 10, player, mask);
        passed = false;
        player = 3 - player;
    }
    return positions;
}

namespace {

constexpr bits::Bits RingAndCentre() {
    bits::Bits b = 0;
    for (int col = 2; col <= 7; ++col) {
        for (int row = 2; row <= 7; ++row) {
            const bool ring = col == 2 || col == 7 || row == 2 || row == 7;
            const bool centre = (col == 4 || col == 5) && (row == 4 || row == 5);
            if (ring || centre) {
                b |= bits::CellBit(col, row);
            }
        }
    }
    return b;
}

}  // namespace

Board RingHeavyBoard(std::uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    Board board;
    for (int col = 1; col <= 8; ++col) {
        for (int row = 1; row <= 8; ++row) {
            const bool centre = (col == 4 || col == 5) && (row == 4 || row == 5);
            const bool ring = !centre && (RingAndCentre() & bits::CellBit(col, row)) != 0;
            const double empty = centre ? 0.0 : ring ? 0.7 : 0.05;
            if (fraction(engine) >= empty) {
                board.at(col, row) = fraction(engine) < 0.5 ? 1 : 2;
            }
        }
    }
    return board;
}

bool NeedsDeepLook(const Board& board) {
    bits::Bits blocked = 0;
    const bits::Position p = bits::FromBoard(board, blocked);
    bits::Bits moves = bits::LegalMoves(p.black, p.white, ~(p.white | p.black));
    while (moves) {
        const bits::Bits move = moves & (~moves + 1);
        moves &= moves - 1;
        const bits::Position after = bits::Played(p, 2, move, bits::Flips(p.black, p.white, move));
        const bits::Bits replies =
            bits::LegalMoves(after.white, after.black, ~(after.white | after.black));
        if (replies != 0 && (replies & ~RingAndCentre()) == 0) {
            return true;
        }
    }
    return false;
}

bool TakesAFixedRule(const Board& board) {
    for (int col : {1, 3, 6, 8}) {
        for (int row : {1, 3, 6, 8}) {
            if ((col == 1 || col == 8) == (row == 1 || row == 8) &&
                CountFlips(board, col, row, 2) > 0) {
                return true;
            }
        }
    }
    return false;
}

namespace {

long CountFrom(const bits::Position& p, int ply, int depth, long limit) {
    const int player = ply % 2 == 1 ? 2 : 1;
    const bits::Bits own = p.of(player);
    const bits::Bits opp = p.of(3 - player);
    bits::Bits moves = bits::LegalMoves(own, opp, ~(own | opp));
    if (ply == depth) {
        return bits::Count(moves);
    }
    long lines = 0;
    while (moves && lines <= limit) {
        const bits::Bits move = moves & (~moves + 1);
        moves &= moves - 1;
        const long below = CountFrom(bits::Played(p, player, move, bits::Flips(own, opp, move)),
                                     ply + 1, depth, limit);
        lines += below == 0 ? 1 : below;
    }
    return lines;
}

}  // namespace

long CountLines(const Board& board, int depth, long limit) {
    bits::Bits blocked = 0;
    return CountFrom(bits::FromBoard(board, blocked), 1, depth, limit);
}

}  // namespace korvel::testing
