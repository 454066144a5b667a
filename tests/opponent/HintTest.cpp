// The master's hint for either player, over positions of whole random games.
#include <gtest/gtest.h>

#include <random>

#include "ComputerMove.h"

namespace korvel {
namespace {

Board Swapped(Board board) {
    for (CellCode& code : board.cells) {
        code = code == 1 || code == 2 ? static_cast<CellCode>(3 - code) : code;
    }
    return board;
}

class MasterHintTest : public ::testing::TestWithParam<std::uint32_t> {};

// Along a random game: the hint is a legal move of the player asked about,
// empty exactly when that player must pass; player 1's hint is player 2's on
// the board with the colours swapped; and asking twice gives the same cell.
TEST_P(MasterHintTest, IsALegalMoveOfThePlayerAskedAbout) {
    std::mt19937 random(GetParam());
    Board board;
    SetStandardPosition(board);
    int player = 1;
    for (int hod = 1; HasLegalMove(board, 1) || HasLegalMove(board, 2); ++hod) {
        for (const int p : {1, 2}) {
            const std::string hint = MasterHint(board, p, hod);
            ASSERT_EQ(hint.empty(), !HasLegalMove(board, p));
            if (!hint.empty()) {
                EXPECT_GT(CountFlips(board, hint[0] - '0', hint[1] - '0', p), 0) << hint;
            }
            EXPECT_EQ(MasterHint(board, p, hod), hint);
        }
        EXPECT_EQ(MasterHint(board, 1, hod), MasterHint(Swapped(board), 2, hod));
        std::vector<int> moves;
        for (int cell = 0; cell < kCellCount; ++cell) {
            if (CountFlips(board, cell % 8 + 1, cell / 8 + 1, player) > 0) {
                moves.push_back(cell);
            }
        }
        if (!moves.empty()) {
            const int cell = moves[random() % moves.size()];
            FlipMask mask;
            CountFlips(board, cell % 8 + 1, cell / 8 + 1, player, mask);
            PlayMove(board, cell % 8 + 1, cell / 8 + 1, player, mask);
        }
        player = 3 - player;
    }
}

INSTANTIATE_TEST_SUITE_P(Games, MasterHintTest, ::testing::Values(1u, 2u, 3u));

}  // namespace
}  // namespace korvel
