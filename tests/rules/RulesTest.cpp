// The rules on pictured positions (data/rules_cases.txt), kept as the golden
// data/rules.txt: every legal move of either player with the discs it turns,
// in the order they are turned, and the counts after it; the greedy cell; the
// end of the game for disc counts and passes; and the number of move
// sequences from the standard position.
#include <gtest/gtest.h>

#include <sstream>

#include "Golden.h"
#include "TempFolder.h"
#include "rules/Rules.h"

namespace korvel {
namespace {

std::string CellName(int col, int row) {
    return std::string(1, static_cast<char>('a' + col - 1)) + std::to_string(row);
}

// Counts the move sequences of a given length; a player with no move passes,
// and a sequence ends when neither can move.
std::uint64_t Sequences(const Board& board, int player, int depth, bool passed = false) {
    std::uint64_t total = 0;
    bool any = false;
    for (int cell = 0; depth > 0 && cell < 64; ++cell) {
        FlipMask mask;
        if (CountFlips(board, cell / 8 + 1, cell % 8 + 1, player, mask) > 0) {
            any = true;
            Board next = board;
            PlayMove(next, cell / 8 + 1, cell % 8 + 1, player, mask);
            total += Sequences(next, 3 - player, depth - 1);
        }
    }
    return depth == 0 ? 1
           : any      ? total
           : passed   ? 1
                      : Sequences(board, 3 - player, depth - 1, true);
}

std::vector<std::string> Moves(const Board& board) {
    std::vector<std::string> out;
    for (int player = 1; player <= 2; ++player) {
        std::string line = player == 1 ? "  W:" : "  B:";
        for (int col = 1; col <= 8; ++col) {
            for (int row = 1; row <= 8; ++row) {
                FlipMask mask;
                mask.cells.fill(7);  // left alone on an occupied cell, else rebuilt
                const int n = CountFlips(board, col, row, player, mask);
                EXPECT_TRUE(board.at(col, row) == 0 || (n == 0 && mask.cells[0] == 7));
                if (n == 0) {
                    continue;
                }
                Board played = board;
                const auto changes = PlayMove(played, col, row, player, mask);
                line += " " + std::to_string(n);
                for (const auto& change : changes) {
                    line += (&change == &changes[0] ? "@" : ",") + CellName(change.col, change.row);
                }
                line += "=" + std::to_string(CountDiscs(played).white) + "/" +
                        std::to_string(CountDiscs(played).black);
            }
        }
        const int greedy = GreedyCell(board, player);
        out.push_back(line + "; greedy " + (greedy ? CellName(greedy / 10, greedy % 10) : "none"));
    }
    return out;
}

TEST(Rules, AsRecorded) {
    const std::vector<std::string> cases = testing::DataLines("rules_cases.txt");
    std::vector<std::string> out;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::istringstream in(cases[i]);
        std::string what;
        in >> what;
        if (what == "position") {  // rows 8 down to 1, columns a..h; W white, B black
            Board board;
            for (int row = 8; row >= 1 && ++i < cases.size(); --row) {
                for (int col = 1; col <= 8; ++col) {
                    const char c = cases[i].at(static_cast<std::size_t>(col - 1));
                    board.at(col, row) = c == 'W' ? 1 : c == 'B' ? 2 : 0;
                }
            }
            out.push_back(cases[i - 8]);
            const auto moves = Moves(board);
            out.insert(out.end(), moves.begin(), moves.end());
        } else if (int white, black, passes; what == "over" && in >> white >> black >> passes) {
            out.push_back(cases[i] +
                          (IsGameOver(DiscCount{white, black}, passes) ? ": yes" : ": no"));
        } else if (int depth; what == "sequences" && in >> depth) {
            Board board;
            SetStandardPosition(board);
            out.push_back(cases[i] + ": " + std::to_string(Sequences(board, 1, depth)));
        } else {
            ADD_FAILURE() << cases[i];
        }
    }
    testing::ExpectGolden(out, "rules");
}

}  // namespace
}  // namespace korvel
