// The fixed rules of the opponent (opening, corners, inner corners, a move
// that leaves no reply), checked on both the fast opponent and the literal
// reference.

#include <gtest/gtest.h>

#include <functional>

#include "ComputerMove.h"
#include "OpponentTestSupport.h"
#include "ReferenceOpponent.h"

namespace korvel::testing {
namespace {

using Chooser = std::function<OpponentMove(const Board&, int, int, int, RandomSource&)>;

struct Implementation {
    const char* name;
    Chooser choose;
};

const Implementation kProduction{
    "production", [](const Board& b, int level, int move, int first, RandomSource& r) {
        return ComputerMove(b, level, move, first, r);
    }};
const Implementation kReference{
    "reference", [](const Board& b, int level, int move, int first, RandomSource& r) {
        ReferenceOpponent opponent;
        return opponent.computerMove(b, level, move, first, r);
    }};

Board StandardBoard() {
    Board b;
    SetStandardPosition(b);
    return b;
}

// --- Opening rule ----------------------------------------------------------

struct OpeningCase {
    int level;
    double r;
    const char* expected;
};

class OpeningTest : public ::testing::TestWithParam<std::tuple<Implementation, OpeningCase>> {};

TEST_P(OpeningTest, ComputerOpeningDrawsOneOfFourCells) {
    const auto& [impl, c] = GetParam();
    ScriptedRandom random({c.r});
    const OpponentMove move = impl.choose(StandardBoard(), c.level, 1, 2, random);
    EXPECT_EQ(move.text, c.expected);
    EXPECT_FALSE(move.sayNoReply);
    EXPECT_EQ(random.draws(), 1);
}

std::vector<OpeningCase> OpeningCases() {
    std::vector<OpeningCase> cases;
    for (int level = 1; level <= 4; ++level) {
        cases.push_back({level, 0.0, "43"});
        cases.push_back({level, 0.2499, "43"});
        cases.push_back({level, 0.25, "34"});
        cases.push_back({level, 0.5, "56"});
        cases.push_back({level, 0.7499, "56"});
        cases.push_back({level, 0.75, "65"});
        cases.push_back({level, 0.99999, "65"});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(BothImplementations, OpeningTest,
                         ::testing::Combine(::testing::Values(kProduction, kReference),
                                            ::testing::ValuesIn(OpeningCases())));

class ImplementationTest : public ::testing::TestWithParam<Implementation> {};

TEST_P(ImplementationTest, OpeningRuleOnlyOnTheComputersFirstMove) {
    const Implementation& impl = GetParam();
    for (const auto& [moveNumber, first] :
         std::vector<std::pair<int, int>>{{1, 1}, {2, 2}, {5, 1}}) {
        ScriptedRandom random({0.0});
        EXPECT_EQ(impl.choose(StandardBoard(), 1, moveNumber, first, random).text, "");
        EXPECT_EQ(random.draws(), 0);
    }
}

// A staged start where the drawn opening cell d3 is taken: the draw is made,
// then the other rules choose (at level 1 the board's greedy cell, d2).
TEST_P(ImplementationTest, OccupiedOpeningCellFallsThroughToTheOtherRules) {
    const Implementation& impl = GetParam();
    const Board board = BoardFrom({"........", "........", "........", "...BW...", "...WB...",
                                   "...W....", "........", "........"});
    for (int level = 1; level <= 4; ++level) {
        ScriptedRandom random({0.0, 0.0});
        const OpponentMove move = impl.choose(board, level, 1, 2, random);
        EXPECT_NE(move.text, "43") << "level " << level;
        const std::string cell = PlayedCell(board, move);
        ASSERT_EQ(cell.size(), 2u);
        EXPECT_GT(CountFlips(board, cell[0] - '0', cell[1] - '0', 2), 0) << "level " << level;
        if (level == 1) {
            EXPECT_EQ(move.text, "");
            EXPECT_EQ(cell, "42");
            EXPECT_EQ(random.draws(), 1);
        }
    }
    ScriptedRandom second({0.3});
    EXPECT_EQ(impl.choose(board, 1, 1, 2, second).text, "34");
}

// a1 turns one disc, e3 two: level 1 leaves the choice to the board's greedy
// cell; the other levels take the corner.
TEST_P(ImplementationTest, OnlyLevelsTwoToFourTakeTheCorner) {
    const Implementation& impl = GetParam();
    const Board board = BoardFrom({"........", "........", "....B...", "....W...", "....W...",
                                   "B.......", "W.......", "........"});
    SeededRandom random(1);
    const OpponentMove easy = impl.choose(board, 1, 3, 1, random);
    EXPECT_EQ(easy.text, "");
    EXPECT_EQ(PlayedCell(board, easy), "53");
    for (int level = 2; level <= 4; ++level) {
        EXPECT_EQ(impl.choose(board, level, 3, 1, random).text, "11") << "level " << level;
    }
}

INSTANTIATE_TEST_SUITE_P(BothImplementations, ImplementationTest,
                         ::testing::Values(kProduction, kReference),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Corner and inner-corner rules --------------------------------------------

struct FixedRuleCase {
    const char* name;
    std::vector<std::string> rows;
    const char* expected;
};

class FixedRuleTest
    : public ::testing::TestWithParam<std::tuple<Implementation, FixedRuleCase, int>> {};

TEST_P(FixedRuleTest, PicksTheExpectedCell) {
    const auto& [impl, c, level] = GetParam();
    ScriptedRandom random({0.5});
    const OpponentMove move = impl.choose(BoardFrom(c.rows), level, 4, 1, random);
    EXPECT_EQ(move.text, c.expected);
    EXPECT_EQ(random.draws(), 0);
}

const std::vector<FixedRuleCase> kFixedRuleCases = {
    {"MoreFlipsWins",  // a1 turns 3, h8 turns 5
     {"........", ".......W", ".......W", "B......W", "W......W", "W......W", "W......B",
      "........"},
     "88"},
    {"A8BeforeH1",  // both turn 2
     {"........", "W.......", "W.......", "B.......", "........", "........", "........",
      "....BWW."},
     "18"},
    {"A1BeforeH8",
     {"........", ".......W", ".......W", ".......B", "B.......", "W.......", "W.......",
      "........"},
     "11"},
    {"H1BeforeH8",
     {"........", ".......W", ".......B", "........", "........", "........", "........",
      ".....BW."},
     "81"},
    {"InnerCornersInOrder",  // c6 and f3 turn one each
     {"........", "........", "...WB...", "........", "........", "...BW...", "........",
      "........"},
     "36"},
    {"InnerCornerByCount",  // c3 turns 1, f6 turns 2
     {"........", "........", "..BWW...", "........", "........", "...WB...", "........",
      "........"},
     "66"},
    {"CornerBeforeInnerCorner",  // a1 turns 1, c3 turns 3
     {"........", "........", "........", "........", "........", "B..WWWB.", "W.......",
      "........"},
     "11"},
};

INSTANTIATE_TEST_SUITE_P(BothImplementations, FixedRuleTest,
                         ::testing::Combine(::testing::Values(kProduction, kReference),
                                            ::testing::ValuesIn(kFixedRuleCases),
                                            ::testing::Values(2, 3, 4)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name + "_level" +
                                    std::to_string(std::get<2>(info.param));
                         });

// --- A move that leaves no reply ----------------------------------------------

// d1 and d5 are the computer's moves; after d1 the person cannot move.
const std::vector<std::string> kColumnD = {"........", "........", "........", "........",
                                           "...W....", "...B....", "...W....", "........"};

// 62 discs: d1 and d8 are free and either leaves the person without a reply.
const std::vector<std::string> kTwoFree = {"BBB.BBBB", "BBBWBBBB", "BBBBBBBB", "BBBBBBBB",
                                           "BBBBBBBB", "BBBBBBBB", "BBBWBBBB", "BBB.BBBB"};

// 63 discs: d1 is the only free cell; it fills the board.
const std::vector<std::string> kOneFree = {"BBBBBBBB", "BBBWBBBB", "BBBBBBBB", "BBBBBBBB",
                                           "BBBBBBBB", "BBBBBBBB", "BBBWBBBB", "BBB.BBBB"};

class NoReplyTest : public ::testing::TestWithParam<std::tuple<Implementation, int>> {};

TEST_P(NoReplyTest, MoveWithoutReplyIsPlayedAndAnnounced) {
    const auto& [impl, level] = GetParam();
    for (const auto& rows : {kColumnD, kTwoFree}) {
        ScriptedRandom random({0.5});
        const OpponentMove move = impl.choose(BoardFrom(rows), level, 9, 1, random);
        EXPECT_EQ(move.text, "41");
        EXPECT_TRUE(move.sayNoReply);
        EXPECT_EQ(random.draws(), 0);
    }
}

TEST_P(NoReplyTest, FillingTheBoardLeavesTheChoiceToTheBoardWithoutThePhrase) {
    const auto& [impl, level] = GetParam();
    const Board board = BoardFrom(kOneFree);
    ScriptedRandom random({0.5});
    const OpponentMove move = impl.choose(board, level, 30, 1, random);
    EXPECT_EQ(move.text, "");
    EXPECT_FALSE(move.sayNoReply);
    EXPECT_EQ(PlayedCell(board, move), "41");
}

INSTANTIATE_TEST_SUITE_P(BothImplementations, NoReplyTest,
                         ::testing::Combine(::testing::Values(kProduction, kReference),
                                            ::testing::Values(2, 3, 4)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_level" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(GreedyMoveTest, FirstCellWithTheLargestCountInColumnOrder) {
    // d4 and g4 turn two discs each (d4 comes first); nothing turns more.
    const Board board = BoardFrom({"........", "........", "........", "........", "BWW.....",
                                   "......W.", "......W.", "......B."});
    EXPECT_EQ(GreedyMove(board, 2), "44");
    EXPECT_EQ(GreedyMove(Board{}, 2), "");
    EXPECT_EQ(GreedyCell(board, 2), 44);
}

}  // namespace
}  // namespace korvel::testing
