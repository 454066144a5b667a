// The literal reference itself: its lines, their written form and order, its
// position stacks, and the choice from a list of lines.

#include <gtest/gtest.h>

#include <algorithm>

#include "OpponentTestSupport.h"
#include "ReferenceOpponent.h"

namespace korvel::testing {
namespace {

std::vector<std::string> LineTexts(const Board& board, int depth, ReferenceOpponent& opponent) {
    opponent.loadWorkBoard(board);
    opponent.saveRoot();
    opponent.lookAhead(depth);
    std::vector<std::string> texts;
    for (const LineRecord& r : opponent.lineList()) {
        texts.push_back(RecordText(r));
    }
    return texts;
}

// The computer plays d1 (no reply follows) or d5; after d5 the person's d6
// takes the last black discs, so the computer's next ply is missing.
const Board kColumnD = BoardFrom({"........", "........", "........", "........", "...W....",
                                  "...B....", "...W....", "........"});

struct StopCase {
    int depth;
    std::vector<std::string> lines;
};

class StoppedLineTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(StoppedLineTest, MissingPliesAreWrittenAsZeros) {
    ReferenceOpponent opponent;
    EXPECT_EQ(LineTexts(kColumnD, GetParam().depth, opponent), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Depths, StoppedLineTest,
                         ::testing::Values(StopCase{2, {"411000", "451463"}},
                                           StopCase{4, {"411000000000", "451463000000"}},
                                           StopCase{6,
                                                    {"411000000000000000", "451463000000000000"}}));

TEST(ReferenceTest, FullBoardEndsTheLine) {
    // 62 discs: after either free cell is taken the person has nothing left.
    const Board board = BoardFrom({"BBB.BBBB", "BBBWBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB",
                                   "BBBBBBBB", "BBBWBBBB", "BBB.BBBB"});
    ReferenceOpponent opponent;
    EXPECT_EQ(LineTexts(board, 6, opponent),
              (std::vector<std::string>{"411000000000000000", "481000000000000000"}));
}

// A middle game from seeded play: enough lines to exercise every ply.
Board MiddleGame() {
    const std::vector<GamePosition> game = RandomGame(7);
    for (const GamePosition& p : game) {
        if (p.discs >= 20 && CountLines(p.board, 4, 5000) > 200) {
            return p.board;
        }
    }
    ADD_FAILURE() << "no middle game found";
    return Board{};
}

TEST(ReferenceTest, LinesComeInColumnOrderPlyByPlyAndRepeat) {
    const Board board = MiddleGame();
    ReferenceOpponent opponent;
    const std::vector<std::string> first = LineTexts(board, 4, opponent);
    EXPECT_EQ(opponent.workBoard(), board);
    EXPECT_EQ(opponent.rootCopy(), board);
    ASSERT_GT(first.size(), 200u);
    EXPECT_EQ(static_cast<long>(first.size()), CountLines(board, 4, 1000000));

    const auto& lines = opponent.lineList();
    auto key = [](const LineRecord& r) {
        std::vector<int> k;
        for (const PlyTriple& t : r.plies) {
            k.push_back(t.col * 10 + t.row);
        }
        return k;
    };
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_LT(key(lines[i - 1]), key(lines[i])) << "record " << i;
    }
    EXPECT_EQ(LineTexts(board, 4, opponent), first);
}

// Slots are never reused: ply k's counter ends at the number of distinct
// positions reached after ply k, that is of distinct line prefixes of length
// k. The lines come depth-first, so a new prefix is one that differs from the
// previous line's.
TEST(ReferenceTest, EveryPositionTakesItsOwnSlot) {
    const Board board = MiddleGame();
    for (int depth : {4, 6}) {
        ReferenceOpponent opponent;
        LineTexts(board, depth, opponent);
        const auto& lines = opponent.lineList();
        for (int ply = 1; ply < depth; ++ply) {
            const auto k = static_cast<std::size_t>(ply);
            long prefixes = 0;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (lines[i].plies[k - 1].missing()) {
                    continue;
                }
                const bool same =
                    i > 0 && std::equal(lines[i].plies.begin(), lines[i].plies.begin() + ply,
                                        lines[i - 1].plies.begin());
                prefixes += same ? 0 : 1;
            }
            EXPECT_EQ(opponent.plyCounter(ply), prefixes) << "depth " << depth << " ply " << ply;
        }
        EXPECT_FALSE(opponent.overCapacity());
    }
}

// --- Choosing from a list of lines --------------------------------------------

// A line of `depth` plies through the given cells (each turning one disc); the
// plies not given are missing.
LineRecord Line(int depth, const std::vector<std::string>& cells) {
    LineRecord r;
    r.depth = static_cast<std::int8_t>(depth);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        r.plies[i] = PlyTriple::of(cells[i][0] - '0', cells[i][1] - '0', 1);
    }
    return r;
}

struct ChoiceCase {
    const char* name;
    int level;
    std::vector<std::vector<std::string>> lines;
    double r;
    const char* expected;
    int draws;
    int discs = 30;
    bool sayNoReply = false;
};

class ChooseFromLinesTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseFromLinesTest, ChoosesTheSafestMove) {
    const ChoiceCase& c = GetParam();
    ReferenceOpponent opponent;
    for (const auto& cells : c.lines) {
        opponent.lineList().push_back(Line(c.level * 2 - 2, cells));
    }
    opponent.setDiscsOnBoard(c.discs);
    ScriptedRandom random({c.r});
    const OpponentMove move = opponent.chooseFromLines(c.level, random);
    EXPECT_EQ(move.text, c.expected);
    EXPECT_EQ(move.sayNoReply, c.sayNoReply);
    EXPECT_EQ(random.draws(), c.draws);
}

const std::vector<ChoiceCase> kChoiceCases = {
    {"RingRepliesBeatEdgeReply",
     2,
     {{"42", "27"}, {"42", "72"}, {"58", "22"}, {"58", "13"}},
     0.9,
     "42",
     0},
    {"AllLetACornerInFirst", 2, {{"42", "11"}, {"52", "88"}, {"62", "18"}}, 0.0, "42", 1},
    {"AllLetACornerInMiddle", 2, {{"42", "11"}, {"52", "88"}, {"62", "18"}}, 0.5, "52", 1},
    {"AllLetACornerInLast", 2, {{"42", "11"}, {"52", "88"}, {"62", "18"}}, 0.9, "62", 1},
    {"ThreeSafeTwoInnerSide",
     2,
     {{"42", "22"}, {"52", "34"}, {"62", "27"}, {"72", "43"}, {"73", "77"}},
     0.34,
     "62",
     1},
    {"ThreeSafeLastThird",
     2,
     {{"42", "22"}, {"52", "34"}, {"62", "27"}, {"72", "43"}, {"73", "77"}},
     0.67,
     "73",
     1},
    {"LateCornerBeforeEarlyInnerSide",
     3,
     {{"42", "22", "23", "11"}, {"52", "34", "24", "25"}},
     0.5,
     "42",
     0},
    {"StoppedLineEarnsNothing", 3, {{"42", "22"}, {"52", "22", "23", "13"}}, 0.5, "42", 0},
    {"XSquareBelowCornerReply",
     4,
     {{"22", "23", "24", "25", "26", "32"}, {"52", "11", "24", "25", "26", "32"}},
     0.5,
     "22",
     0},
    {"XSquareAboveEdgeReply",
     4,
     {{"22", "23", "24", "25", "26", "32"}, {"52", "13", "24", "25", "26", "32"}},
     0.5,
     "52",
     0},
    {"CSquareBeatsCornerReply",
     4,
     {{"12", "23", "24", "25", "26", "32"}, {"52", "81", "24", "25", "26", "32"}},
     0.5,
     "12",
     0},
    {"CSquareLosesToEdgeReply",
     4,
     {{"12", "23", "24", "25", "26", "32"}, {"52", "84", "24", "25", "26", "32"}},
     0.5,
     "52",
     0},
    {"H2IsACSquare",
     4,
     {{"82", "23", "24", "25", "26", "32"}, {"52", "84", "24", "25", "26", "32"}},
     0.5,
     "52",
     0},
    {"GroupTakesItsWorstLine",
     4,
     {{"42", "22", "23", "24", "25", "26"},
      {"42", "13", "23", "24", "25", "26"},
      {"52", "34", "23", "24", "25", "26"}},
     0.5,
     "52",
     0},
    {"NoReplyBeforeClassing",
     3,
     {{"42", "22", "23", "24"}, {"72"}, {"88", "22", "23", "24"}},
     0.5,
     "72",
     0,
     40,
     true},
    {"NoReplyFillingTheBoardIsSilent", 2, {{"42", "22"}, {"72"}}, 0.5, "72", 0, 63, false},
    {"SingleLineLeavesTheChoiceToTheBoard", 2, {{"72"}}, 0.5, "", 0, 40, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, ChooseFromLinesTest, ::testing::ValuesIn(kChoiceCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
