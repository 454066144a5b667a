// The score of single games and staged matches, one case a line of
// data/match_score_cases.txt ("single W:B" or "staged W:B ..." with the discs
// of each game), kept with the results the players are shown as the golden
// data/match_scores.txt: every game's caption, text and winner, the points and
// totals, and a staged match's verdict.
#include <gtest/gtest.h>

#include <sstream>

#include "FakeAudioDevice.h"
#include "Golden.h"
#include "TempFolder.h"
#include "VirtualClock.h"
#include "core/IniFile.h"
#include "game/MatchScore.h"
#include "voice/Announcer.h"

namespace korvel::testing {
namespace {

std::string Shown(const MatchScore::Result& result, bool withWinner = true) {
    std::string text = result.text;
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.replace(at, 2, " | ");
    }
    return "[" + result.caption + "] " + text +
           (withWinner ? " / winner " + std::to_string(result.winner) : "");
}

TEST(MatchScore, EachBranchShowsItsResult) {
    TempFolder folder;
    VirtualClock clock;
    std::vector<std::string> heard;
    TranscriptDevice device(clock, heard);
    Settings settings(folder.path() / "Korvel.ini");
    Announcer announcer(clock, settings, device);
    const std::array<std::string, 2> phrases{"white", "black"};
    const std::array<std::string, 2> names{"БЕЛЫЕ", "ЧЁРНЫЕ"};
    const MatchScore::Players players{phrases, names};

    std::vector<std::string> lines;
    for (const std::string& line : DataLines("match_score_cases.txt")) {
        lines.push_back("> " + line);
        std::istringstream in(line);
        std::string kind, game;
        in >> kind;
        MatchScore score;
        int stage = 1;
        while (in >> game) {
            const DiscCount count{std::stoi(game), std::stoi(game.substr(game.find(':') + 1))};
            lines.push_back(
                Shown(score.addGame(count, stage++, kind == "staged", announcer, players)));
        }
        lines.push_back("points " + std::to_string(score.points()[0]) + "/" +
                        std::to_string(score.points()[1]) + ", discs " +
                        std::to_string(score.discTotals()[0]) + "/" +
                        std::to_string(score.discTotals()[1]));
        if (kind == "staged") {
            lines.push_back("verdict " + Shown(score.verdict(announcer, players), false));
        }
        announcer.Clear();
    }
    ExpectGolden(lines, "match_scores");
}

}  // namespace
}  // namespace korvel::testing
