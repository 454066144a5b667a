// The fixed rules of the opponent: the opening draw, corners and inner
// corners, a move that leaves the person no reply, and the greedy fallback.

#include <gtest/gtest.h>

#include "ComputerMove.h"
#include "OpponentTestSupport.h"

namespace korvel::testing {
namespace {

struct RuleCase {
    const char* name;
    std::vector<std::string> rows;  // empty: the standard opening
    int moveNumber;
    double draw;
    const char* text;    // what ComputerMove names; "" leaves it to the greedy cell
    const char* played;  // the cell played, column digit then row digit
    bool noReply;
    int draws;
    std::vector<int> levels = {2, 4};
};

const std::vector<std::string> kOneFree = {"BBBBBBBB", "BBBWBBBB", "BBBBBBBB", "BBBBBBBB",
                                           "BBBBBBBB", "BBBBBBBB", "BBBWBBBB", "BBB.BBBB"};

const RuleCase kCases[] = {
    {"OpeningLow", {}, 1, 0.2499, "43", "43", false, 1},
    {"OpeningSecond", {}, 1, 0.25, "34", "34", false, 1},
    {"OpeningThird", {}, 1, 0.7499, "56", "56", false, 1},
    {"OpeningLast", {}, 1, 0.99999, "65", "65", false, 1},
    {"NoOpeningLater", {}, 5, 0.0, "", "", false, 0, {1}},
    // The drawn opening cell d3 is taken: the other rules choose.
    {"OpeningCellTaken",
     {"........", "........", "........", "...BW...", "...WB...", "...W....", "........",
      "........"},
     1,
     0.0,
     "",
     "42",
     false,
     1,
     {1}},
    {"MoreFlipsWins",  // a1 turns 3, h8 turns 5
     {"........", ".......W", ".......W", "B......W", "W......W", "W......W", "W......B",
      "........"},
     4,
     0.5,
     "88",
     "88",
     false,
     0},
    {"A8BeforeH1",
     {"........", "W.......", "W.......", "B.......", "........", "........", "........",
      "....BWW."},
     4,
     0.5,
     "18",
     "18",
     false,
     0},
    {"A1BeforeH8",
     {"........", ".......W", ".......W", ".......B", "B.......", "W.......", "W.......",
      "........"},
     4,
     0.5,
     "11",
     "11",
     false,
     0},
    {"H1BeforeH8",
     {"........", ".......W", ".......B", "........", "........", "........", "........",
      ".....BW."},
     4,
     0.5,
     "81",
     "81",
     false,
     0},
    {"InnerCornersInOrder",
     {"........", "........", "...WB...", "........", "........", "...BW...", "........",
      "........"},
     4,
     0.5,
     "36",
     "36",
     false,
     0},
    {"InnerCornerByCount",
     {"........", "........", "..BWW...", "........", "........", "...WB...", "........",
      "........"},
     4,
     0.5,
     "66",
     "66",
     false,
     0},
    {"CornerBeforeInnerCorner",
     {"........", "........", "........", "........", "........", "B..WWWB.", "W.......",
      "........"},
     4,
     0.5,
     "11",
     "11",
     false,
     0},
    {"NoReplyColumnD",
     {"........", "........", "........", "........", "...W....", "...B....", "...W....",
      "........"},
     9,
     0.5,
     "41",
     "41",
     true,
     0},
    {"NoReplyTwoFree",
     {"BBB.BBBB", "BBBWBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBWBBBB",
      "BBB.BBBB"},
     9,
     0.5,
     "41",
     "41",
     true,
     0},
    // The last free cell fills the board: no phrase, the greedy cell.
    {"FillingTheBoard", kOneFree, 30, 0.5, "", "41", false, 0},
};

class RuleTest : public ::testing::TestWithParam<std::tuple<RuleCase, int>> {};

std::vector<std::tuple<RuleCase, int>> Cases() {
    std::vector<std::tuple<RuleCase, int>> all;
    for (const RuleCase& c : kCases) {
        for (int level : c.levels) {
            all.emplace_back(c, level);
        }
    }
    return all;
}

TEST_P(RuleTest, ChoosesTheExpectedCell) {
    const auto& [c, level] = GetParam();
    Board board;
    if (c.rows.empty()) {
        SetStandardPosition(board);
    } else {
        board = BoardFrom(c.rows);
    }
    ScriptedRandom random({c.draw, c.draw});
    const OpponentMove move =
        ComputerMove(board, level, c.moveNumber, c.moveNumber == 1 ? 2 : 1, random);
    EXPECT_EQ(move.text, c.text);
    EXPECT_EQ(move.sayNoReply, c.noReply);
    if (*c.played != '\0') {
        EXPECT_EQ(PlayedCell(board, move), c.played);
    }
    EXPECT_EQ(random.draws(), c.draws);
}

INSTANTIATE_TEST_SUITE_P(Levels, RuleTest, ::testing::ValuesIn(Cases()), [](const auto& info) {
    return std::string(std::get<0>(info.param).name) + "_level" +
           std::to_string(std::get<1>(info.param));
});

// Level 1 leaves a corner to the board's greedy cell: a1 turns one, e3 two.
TEST(RuleTest, LevelOneIgnoresTheCorner) {
    const Board board = BoardFrom({"........", "........", "....B...", "....W...", "....W...",
                                   "B.......", "W.......", "........"});
    SeededRandom random(1);
    const OpponentMove easy = ComputerMove(board, 1, 3, 1, random);
    EXPECT_EQ(easy.text, "");
    EXPECT_EQ(PlayedCell(board, easy), "53");
    EXPECT_EQ(ComputerMove(board, 2, 3, 1, random).text, "11");
}

}  // namespace
}  // namespace korvel::testing
