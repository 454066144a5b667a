// The fast opponent held to the literal reference's recorded answers
// (data/reference_answers.txt, written by tools/reference's
// korvel_record_answers), and to the fixed rules worked out by hand
// (data/rule_positions.txt): each file is written anew from the answers given
// and must come out as it is.

#include <gtest/gtest.h>

#include <sstream>

#include "Golden.h"
#include "opponent/ComputerMove.h"

namespace korvel::testing {
namespace {

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

// The answer ("-": left to the board), the cell played when asked for,
// "notfisha" and the number of draws; a cell played that is no legal move
// fails the test.
std::string Answer(const Board& board, int level, int moveNumber, int first, CountingRandom random,
                   bool withCell) {
    const OpponentMove move = ComputerMove(board, level, moveNumber, first, random);
    const std::string cell = PlayedCell(board, move);
    EXPECT_TRUE(cell.size() == 2 && CountFlips(board, cell[0] - '0', cell[1] - '0', 2) > 0) << cell;
    return (move.text.empty() ? "-" : move.text) + (withCell ? " " + cell : "") + " " +
           std::to_string(move.sayNoReply) + " " + std::to_string(random.draws);
}

// A line: level, move number, first player, seed, the cells a1..h1, a2..h8
// ('/': -1), then the answer, "notfisha", the draws, and the position's class.
TEST(Opponent, AnswersAsTheReference) {
    std::vector<std::string> out = DataLines("reference_answers.txt", true);
    EXPECT_GT(out.size(), 2000u);
    for (std::string& line : out) {
        std::istringstream fields(line);
        int level = 0, moveNumber = 0, first = 0;
        std::uint32_t seed = 0;
        std::string cells, answer, noReply, draws, rest;
        Board board;
        if (line.starts_with("#") || !(fields >> level >> moveNumber >> first >> seed >> cells >>
                                       answer >> noReply >> draws)) {
            continue;
        }
        for (std::size_t i = 0; i < 64; ++i) {
            board.cells[i] = static_cast<CellCode>(cells.at(i) - '0');
        }
        std::getline(fields, rest);
        line = line.substr(0, line.find(cells) + 65) +
               Answer(board, level, moveNumber, first, CountingRandom(seed), false) + rest;
    }
    ExpectGolden(out, "reference_answers");
}

// See data/rule_positions.txt.
TEST(Opponent, FixedRules) {
    RunCaseFile("rule_positions", [](const std::string&, const Args& a) {
        Board board;
        SetStandardPosition(board);
        for (int cell = 0; a.size() > 4 && cell < 64; ++cell) {
            const char at = a.at(4 + static_cast<std::size_t>(cell / 8)).at(cell % 8);
            board.at(cell % 8 + 1, 8 - cell / 8) = at == 'W' ? 1 : at == 'B' ? 2 : 0;
        }
        std::string out;
        const int moveNumber = std::stoi(a[2]);
        for (const char level : a[1]) {
            out += level == ','
                       ? "\n"
                       : std::string(1, level) + ": " +
                             Answer(board, level - '0', moveNumber, moveNumber == 1 ? 2 : 1,
                                    CountingRandom(1, std::stod(a[3])), true);
        }
        return out;
    });
}

}  // namespace
}  // namespace korvel::testing
