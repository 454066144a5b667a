#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Rules.h"

namespace korvel {
namespace {

std::string CellName(int col, int row) {
    return std::string(1, static_cast<char>('a' + col - 1)) + std::to_string(row);
}

// Board from a picture: rows from 8 down to 1, columns a..h; 'W' white, 'B' black.
Board FromPicture(const std::array<const char*, 8>& rows) {
    Board board;
    for (int i = 0; i < 8; ++i) {
        const int row = 8 - i;
        for (int col = 1; col <= 8; ++col) {
            const char c = rows[static_cast<std::size_t>(i)][col - 1];
            board.at(col, row) = c == 'W' ? 1 : c == 'B' ? 2 : 0;
        }
    }
    return board;
}

struct OpeningCase {
    int player;
    std::set<std::string> legal;
};

class StandardOpening : public ::testing::TestWithParam<OpeningCase> {};

TEST_P(StandardOpening, ExactlyFourCellsTurnOneDisc) {
    Board board;
    SetStandardPosition(board);
    std::set<std::string> legal;
    for (int c = 1; c <= 8; ++c) {
        for (int r = 1; r <= 8; ++r) {
            const int n = CountFlips(board, c, r, GetParam().player);
            if (n > 0) {
                EXPECT_EQ(n, 1) << CellName(c, r);
                legal.insert(CellName(c, r));
            }
        }
    }
    EXPECT_EQ(legal, GetParam().legal);
}

INSTANTIATE_TEST_SUITE_P(BothColours, StandardOpening,
                         ::testing::Values(OpeningCase{1, {"c5", "d6", "e3", "f4"}},
                                           OpeningCase{2, {"d3", "c4", "f5", "e6"}}));

TEST(Rules, StandardPositionCells) {
    Board board;
    SetStandardPosition(board);
    EXPECT_EQ(board.cells[27], 1);
    EXPECT_EQ(board.cells[36], 1);
    EXPECT_EQ(board.cells[28], 2);
    EXPECT_EQ(board.cells[35], 2);
    EXPECT_EQ(CountDiscs(board).total(), 4);
}

struct CaptureCase {
    const char* name;
    std::array<const char*, 8> picture;
    int col;
    int row;
    int player;
    int expected;
    std::set<std::string> turned;
};

class Captures : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(Captures, CountAndMask) {
    const auto& p = GetParam();
    const Board board = FromPicture(p.picture);
    FlipMask mask;
    mask.cells.fill(7);  // must be rebuilt unless the cell is occupied
    const int n = CountFlips(board, p.col, p.row, p.player, mask);
    EXPECT_EQ(n, p.expected);
    if (board.at(p.col, p.row) != 0) {
        EXPECT_EQ(mask.cells[0], 7) << "mask must be left alone on an occupied cell";
        return;
    }
    std::set<std::string> turned;
    for (int c = 1; c <= 8; ++c) {
        for (int r = 1; r <= 8; ++r) {
            if (mask.at(c, r) != 0) {
                EXPECT_EQ(mask.at(c, r), p.player);
                turned.insert(CellName(c, r));
            }
        }
    }
    EXPECT_EQ(turned, p.turned);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, Captures,
    ::testing::Values(
        // The rules text's example: white on a8 turns along the row, the column and the diagonal.
        CaptureCase{"AllThreeLines",
                    {".BBBBBBW", ".B......", "..B.....", "...B....", "....B...", ".....W..",
                     "........", "........"},
                    1,
                    8,
                    1,
                    10,
                    {"b8", "c8", "d8", "e8", "f8", "g8", "b7", "c6", "d5", "e4"}},
        CaptureCase{"RunToEdgeTurnsNothing",
                    {"........", "........", "........", "...BBBBB", "........", "........",
                     "........", "........"},
                    3,
                    5,
                    1,
                    0,
                    {}},
        CaptureCase{"RunToEmptyTurnsNothing",
                    {"........", "........", "........", "...BB.W.", "........", "........",
                     "........", "........"},
                    3,
                    5,
                    1,
                    0,
                    {}},
        CaptureCase{"AdjacentOwnDiscTurnsNothing",
                    {"........", "........", "........", "...WW...", "........", "........",
                     "........", "........"},
                    3,
                    5,
                    1,
                    0,
                    {}},
        CaptureCase{"OccupiedCellGivesZero",
                    {"........", "........", "........", "..WBW...", "........", "........",
                     "........", "........"},
                    3,
                    5,
                    1,
                    0,
                    {}},
        CaptureCase{"EightDirections",
                    {"B..B..B.", ".W.W.W..", "..WWW...", "BWW.WWWB", "..WWW...", ".W.W.W..",
                     "B..B..B.", "........"},
                    4,
                    5,
                    2,
                    17,
                    {"b5", "c5", "e5", "f5", "g5", "d6", "d7", "d4", "d3", "c6", "b7", "e6", "f7",
                     "c4", "b3", "e4", "f3"}},
        CaptureCase{"CornerDiagonal",
                    {"........", "........", "........", "........", "...B....", "..W.....",
                     ".W......", "........"},
                    1,
                    1,
                    2,
                    2,
                    {"b2", "c3"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rules, PlayMoveTurnsInColumnMajorOrder) {
    FlipMask mask;
    Board board = FromPicture({"........", "........", "..B.B.B.", "...WWW..", "..BW.WB.",
                               "...WWW..", "..B.B.B.", "........"});
    ASSERT_EQ(CountFlips(board, 5, 4, 2, mask), 8);
    const auto changes = PlayMove(board, 5, 4, 2, mask);
    ASSERT_EQ(changes.size(), 9u);
    EXPECT_EQ(changes[0].col, 5);
    EXPECT_EQ(changes[0].row, 4);
    for (std::size_t i = 2; i < changes.size(); ++i) {
        const int prev = (changes[i - 1].col - 1) * 8 + changes[i - 1].row;
        const int cur = (changes[i].col - 1) * 8 + changes[i].row;
        EXPECT_LT(prev, cur) << "turned discs must come column by column, rows upwards";
    }
    for (const auto& c : changes) {
        EXPECT_EQ(board.at(c.col, c.row), 2);
    }
    EXPECT_EQ(CountDiscs(board).white, 0);
}

struct EndCase {
    int white;
    int black;
    int passCount;
    bool over;
};

class GameEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(GameEnd, Detects) {
    const auto& p = GetParam();
    EXPECT_EQ(IsGameOver(DiscCount{p.white, p.black}, p.passCount), p.over);
}

INSTANTIATE_TEST_SUITE_P(Cases, GameEnd,
                         ::testing::Values(EndCase{30, 30, -1, false}, EndCase{0, 12, -1, true},
                                           EndCase{12, 0, 0, true}, EndCase{40, 24, -1, true},
                                           EndCase{40, 23, 1, false}, EndCase{40, 23, 2, true}));

TEST(Rules, GreedyCellTakesFirstOfEqualCounts) {
    Board board;
    SetStandardPosition(board);
    // Black's four moves all turn one disc: the first in column-major order is c4.
    EXPECT_EQ(GreedyCell(board, 2), 34);
    board.clear();
    board.at(1, 1) = 1;
    board.at(2, 2) = 1;
    EXPECT_EQ(GreedyCell(board, 2), 0);
}

// Counts the move sequences of a given length from a position. A player with no
// move passes; a sequence ends when neither can move.
std::uint64_t Sequences(const Board& board, int player, int depth, bool passed = false) {
    if (depth == 0) {
        return 1;
    }
    std::uint64_t total = 0;
    bool any = false;
    for (int c = 1; c <= 8; ++c) {
        for (int r = 1; r <= 8; ++r) {
            FlipMask mask;
            if (CountFlips(board, c, r, player, mask) > 0) {
                any = true;
                Board next = board;
                PlayMove(next, c, r, player, mask);
                total += Sequences(next, 3 - player, depth - 1);
            }
        }
    }
    if (!any) {
        return passed ? 1 : Sequences(board, 3 - player, depth - 1, true);
    }
    return total;
}

class SequenceCount : public ::testing::TestWithParam<std::pair<int, std::uint64_t>> {};

TEST_P(SequenceCount, FromStandardPosition) {
    Board board;
    SetStandardPosition(board);
    EXPECT_EQ(Sequences(board, 1, GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Depths, SequenceCount,
                         ::testing::Values(std::pair{1, 4ull}, std::pair{2, 12ull},
                                           std::pair{3, 56ull}, std::pair{4, 244ull},
                                           std::pair{5, 1396ull}, std::pair{6, 8200ull},
                                           std::pair{7, 55092ull}, std::pair{8, 390216ull}));

}  // namespace
}  // namespace korvel
