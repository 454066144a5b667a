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
// No picture: the standard opening.
Board FromPicture(const std::vector<const char*>& rows) {
    Board board;
    if (rows.empty()) {
        SetStandardPosition(board);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (int col = 1; col <= 8; ++col) {
            const char c = rows[i][col - 1];
            board.at(col, 8 - static_cast<int>(i)) = c == 'W' ? 1 : c == 'B' ? 2 : 0;
        }
    }
    return board;
}

struct CaptureCase {
    const char* name;
    std::vector<const char*> picture;
    int col;
    int row;
    int player;
    std::set<std::string> turned;  // empty: not a legal move
};

class Captures : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(Captures, CountAndMask) {
    const auto& p = GetParam();
    const Board board = FromPicture(p.picture);
    FlipMask mask;
    mask.cells.fill(7);  // must be rebuilt unless the cell is occupied
    EXPECT_EQ(CountFlips(board, p.col, p.row, p.player, mask), static_cast<int>(p.turned.size()));
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

const char* const kEmpty = "........";

INSTANTIATE_TEST_SUITE_P(
    Directions, Captures,
    ::testing::Values(
        CaptureCase{"OpeningWhite", {}, 3, 5, 1, {"d5"}},
        CaptureCase{"OpeningBlack", {}, 6, 5, 2, {"e5"}},
        CaptureCase{"OpeningNotAMove", {}, 3, 3, 1, {}},
        // White on a8 turns along the row, the column and the diagonal.
        CaptureCase{"AllThreeLines",
                    {".BBBBBBW", ".B......", "..B.....", "...B....", "....B...", ".....W..", kEmpty,
                     kEmpty},
                    1,
                    8,
                    1,
                    {"b8", "c8", "d8", "e8", "f8", "g8", "b7", "c6", "d5", "e4"}},
        CaptureCase{"RunReachesTheEdge",
                    {kEmpty, kEmpty, kEmpty, ".BBBBBBW", kEmpty, kEmpty, kEmpty, kEmpty},
                    1,
                    5,
                    1,
                    {"b5", "c5", "d5", "e5", "f5", "g5"}},
        CaptureCase{"RunToEdgeTurnsNothing",
                    {kEmpty, kEmpty, kEmpty, "...BBBBB", kEmpty, kEmpty, kEmpty, kEmpty},
                    3,
                    5,
                    1,
                    {}},
        CaptureCase{"RunToEmptyTurnsNothing",
                    {kEmpty, kEmpty, kEmpty, "...BB.W.", kEmpty, kEmpty, kEmpty, kEmpty},
                    3,
                    5,
                    1,
                    {}},
        CaptureCase{"OccupiedCellGivesZero",
                    {kEmpty, kEmpty, kEmpty, "..WBW...", kEmpty, kEmpty, kEmpty, kEmpty},
                    3,
                    5,
                    1,
                    {}},
        CaptureCase{"EightDirections",
                    {"B..B..B.", ".W.W.W..", "..WWW...", "BWW.WWWB", "..WWW...", ".W.W.W..",
                     "B..B..B.", kEmpty},
                    4,
                    5,
                    2,
                    {"b5", "c5", "e5", "f5", "g5", "d6", "d7", "d4", "d3", "c6", "b7", "e6", "f7",
                     "c4", "b3", "e4", "f3"}},
        CaptureCase{"CornerDiagonal",
                    {kEmpty, kEmpty, kEmpty, kEmpty, "...B....", "..W.....", ".W......", kEmpty},
                    1,
                    1,
                    2,
                    {"b2", "c3"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rules, PlayMoveTurnsInColumnMajorOrder) {
    FlipMask mask;
    Board board = FromPicture(
        {kEmpty, kEmpty, "..B.B.B.", "...WWW..", "..BW.WB.", "...WWW..", "..B.B.B.", kEmpty});
    ASSERT_EQ(CountFlips(board, 5, 4, 2, mask), 8);
    const auto changes = PlayMove(board, 5, 4, 2, mask);
    ASSERT_EQ(changes.size(), 9u);
    EXPECT_EQ(changes[0].col * 10 + changes[0].row, 54);
    for (std::size_t i = 2; i < changes.size(); ++i) {
        EXPECT_LT(changes[i - 1].col * 10 + changes[i - 1].row,
                  changes[i].col * 10 + changes[i].row)
            << "turned discs must come column by column, rows upwards";
    }
    EXPECT_EQ(CountDiscs(board).white, 0);
    EXPECT_EQ(CountDiscs(board).black, 17);
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
    // Black's four opening moves all turn one disc: the first in column-major order is c4.
    EXPECT_EQ(GreedyCell(FromPicture({}), 2), 34);
    EXPECT_EQ(GreedyCell(FromPicture({"W.......", ".W......", kEmpty, kEmpty, kEmpty, kEmpty,
                                      kEmpty, kEmpty}),
                         2),
              0);
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
    EXPECT_EQ(Sequences(FromPicture({}), 1, GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Depths, SequenceCount,
                         ::testing::Values(std::pair{1, 4ull}, std::pair{3, 56ull},
                                           std::pair{5, 1396ull}, std::pair{6, 8200ull}));

}  // namespace
}  // namespace korvel
