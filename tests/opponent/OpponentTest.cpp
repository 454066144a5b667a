// The fast opponent held to the literal reference's recorded answers
// (data/reference_answers.txt, written by tools/reference's
// korvel_record_answers), and to the fixed rules worked out by hand
// (data/rule_positions.txt).

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "opponent/ComputerMove.h"

namespace korvel::testing {
namespace {

std::ifstream DataFile(const std::string& name) {
    const char* dir = std::getenv("KORVEL_TEST_DATA");
    return std::ifstream(std::string(dir ? dir : ".") + "/" + name);
}

// Counts its draws; gives a fixed fraction, or a seeded sequence.
class CountingRandom : public RandomSource {
  public:
    explicit CountingRandom(std::uint32_t seed, double fixed = -1)
        : m_seeded(seed), m_fixed(fixed) {}
    double next() override {
        ++draws;
        return m_fixed >= 0 ? m_fixed : m_seeded.next();
    }
    int draws = 0;

  private:
    SeededRandom m_seeded;
    double m_fixed;
};

// The same move, the same "notfisha", the same number of draws from the same
// seeded source; and the cell played is a legal move.
TEST(Opponent, AnswersAsTheReference) {
    std::ifstream in = DataFile("reference_answers.txt");
    ASSERT_TRUE(in);
    int compared = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        int level = 0, moveNumber = 0, firstPlayer = 0, noReply = 0, draws = 0;
        std::uint32_t seed = 0;
        std::string cells, answer;
        fields >> level >> moveNumber >> firstPlayer >> seed >> cells >> answer >> noReply >> draws;
        ASSERT_EQ(cells.size(), 64u) << line;
        Board board;
        for (std::size_t i = 0; i < 64; ++i) {
            board.cells[i] = static_cast<CellCode>(cells[i] - '0');
        }
        CountingRandom random(seed);
        const OpponentMove move = ComputerMove(board, level, moveNumber, firstPlayer, random);
        ASSERT_EQ(move, (OpponentMove{answer == "-" ? "" : answer, noReply == 1})) << line;
        ASSERT_EQ(random.draws, draws) << line;
        const std::string cell = PlayedCell(board, move);
        ASSERT_EQ(cell.size(), 2u) << line;
        ASSERT_GT(CountFlips(board, cell[0] - '0', cell[1] - '0', 2), 0) << line;
        ++compared;
    }
    EXPECT_GT(compared, 2000);
}

TEST(Opponent, FixedRules) {
    std::ifstream in = DataFile("rule_positions.txt");
    ASSERT_TRUE(in);
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string name, levels, bar, answer, played, noReply, draws;
        int moveNumber = 0;
        double draw = 0;
        fields >> name >> levels >> moveNumber >> draw >> bar >> answer >> played >> noReply >>
            draws;
        Board board;
        std::getline(in, line);
        if (line == "standard") {
            SetStandardPosition(board);
        } else {
            for (int row = 8; row >= 1; --row) {
                if (row < 8) {
                    std::getline(in, line);
                }
                for (int col = 1; col <= 8; ++col) {
                    const char c = line.at(static_cast<std::size_t>(col - 1));
                    board.at(col, row) = c == 'W' ? 1 : c == 'B' ? 2 : 0;
                }
            }
        }
        for (char level : levels) {
            if (level == ',') {
                continue;
            }
            CountingRandom random(1, draw);
            const OpponentMove move =
                ComputerMove(board, level - '0', moveNumber, moveNumber == 1 ? 2 : 1, random);
            const std::string at = name + " level " + level;
            EXPECT_EQ(move.text.empty() ? "-" : move.text, answer) << at;
            EXPECT_EQ(move.sayNoReply, noReply == "1") << at;
            EXPECT_TRUE(played == "*" || PlayedCell(board, move) == played) << at;
            EXPECT_TRUE(draws == "*" || std::to_string(random.draws) == draws) << at;
            ++cases;
        }
    }
    EXPECT_EQ(cases, 32);
}

}  // namespace
}  // namespace korvel::testing
