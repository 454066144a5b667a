// The game's reports, case by case, on the game's own sound services: what
// the reading keys say at the board's corners and edges (data/
// reading_edge_cases.txt, "row a1", "cell h8", "moves 1", "hint 2", "counts",
// "free", on data/middle_game_start.txt), and the results of single games and
// staged matches (data/match_score_cases.txt, "single W:B" or "staged W:B ...").
// The goldens are data/reading_edges.txt and data/match_scores.txt.
#include <gtest/gtest.h>

#include <sstream>

#include "GameSession.h"
#include "game/BoardReader.h"
#include "game/MatchScore.h"
#include "records/StartPosition.h"

namespace korvel::testing {
namespace {

class Reports : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(s.startUp());
        s.announcer.Clear();
    }
    // The phrases said until the announcer is quiet.
    std::string said() {
        const std::size_t before = m_said;
        EXPECT_TRUE(s.clock.waitUntil([&] { return s.announcer.Count() == 0; }, 600000));
        const std::vector<std::string> stems = s.device.startedPhraseStems();
        m_said = stems.size();
        std::string text;
        for (std::size_t i = before; i < stems.size(); ++i) {
            text += " " + stems[i];
        }
        return text;
    }

    GameSession s;
    std::size_t m_said = 1;  // "reverse", said as the game is attached
};

TEST_F(Reports, TheReadingKeysAtTheEdges) {
    Board board;
    ReadStartPosition(
        std::filesystem::path(std::getenv("KORVEL_TEST_DATA")) / "middle_game_start.txt", board);
    BoardReader reader(s.announcer, board);
    std::vector<std::string> lines;
    for (const std::string& line : DataLines("reading_edge_cases.txt")) {
        std::istringstream in(line);
        std::string report, where;
        in >> report >> where;
        const int col = where.size() == 2 ? where[0] - 'a' + 1 : 0;
        const int row = where.size() == 2 ? where[1] - '0' : std::atoi(where.c_str());
        if (report == "row" || report == "column") {
            reader.line(col, row, report == "row");
        } else if (report == "cell" || report == "moves" || report == "hint") {
            report == "cell"    ? reader.cell(col, row)
            : report == "moves" ? reader.legalMoves(row)
                                : reader.hint(row, 20);
        } else {
            ASSERT_TRUE(report == "counts" || report == "free") << "an unknown report";
            report == "counts" ? reader.discCounts() : reader.freeCells();
        }
        lines.push_back("> " + line + ":" + said());
    }
    ExpectGolden(lines, "reading_edges");
}

// A result as the dialog shows it, lines joined by " | ".
std::string Shown(const MatchScore::Result& result, bool withWinner = true) {
    return "[" + result.caption + "] " + OneLine(result.text) +
           (withWinner ? " / winner " + std::to_string(result.winner) : "");
}

TEST_F(Reports, EachScoringBranchShowsItsResult) {
    const std::array<std::string, 2> phrases{"white", "black"}, names{"БЕЛЫЕ", "ЧЁРНЫЕ"};
    const MatchScore::Players players{phrases, names};
    std::vector<std::string> lines;
    for (const std::string& line : DataLines("match_score_cases.txt")) {
        lines.push_back("> " + line);
        std::istringstream in(line);
        std::string kind, game;
        in >> kind;
        MatchScore score;
        for (int stage = 1; in >> game; ++stage) {
            const DiscCount count{std::stoi(game), std::stoi(game.substr(game.find(':') + 1))};
            lines.push_back(
                Shown(score.addGame(count, stage, kind == "staged", s.announcer, players)));
        }
        lines.push_back("points " + std::to_string(score.points()[0]) + "/" +
                        std::to_string(score.points()[1]) + ", discs " +
                        std::to_string(score.discTotals()[0]) + "/" +
                        std::to_string(score.discTotals()[1]));
        if (kind == "staged") {
            lines.push_back("verdict " + Shown(score.verdict(s.announcer, players), false));
        }
        s.announcer.Clear();
    }
    ExpectGolden(lines, "match_scores");
}

}  // namespace
}  // namespace korvel::testing
