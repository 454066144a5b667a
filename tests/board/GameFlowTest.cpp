// Whole flows of the board played by a scripted player, kept as golden transcripts.
#include <gtest/gtest.h>

#include "Session.h"

namespace korvel::testing {
namespace {

GameChoiceValues TwoPlayers(std::int16_t tip = 1, std::int16_t minutes = 0) {
    return {1, tip, minutes, 1};
}

GameChoiceValues Computer(std::int16_t level, std::int16_t tip = 1, std::int16_t minutes = 0) {
    return {2, tip, minutes, level};
}

struct Flow {
    const char* name;
    GameChoiceValues choice;
    std::vector<std::string> keys;  // pressed `step` ms apart from 8 s on
    std::int64_t until;
    int step = 1500;
    const char* startFile = nullptr;
    const char* answerKey = "";
};

void PrintTo(const Flow& flow, std::ostream* out) {
    *out << flow.name;
}

class GameFlow : public ::testing::TestWithParam<Flow> {};

TEST_P(GameFlow, SoundsAsRecorded) {
    const Flow& flow = GetParam();
    Session s;
    if (flow.startFile) {
        s.writeFile("start.txt", flow.startFile);
    }
    s.app->StartUp();
    s.answerDialogsWith(flow.answerKey);
    s.rever().systemTime = [] { return QTime(21, 4, 2); };
    s.pressAll(8000, flow.step, flow.keys);
    s.startGame(flow.choice);
    s.runUntil(flow.until);
    ExpectGolden(s.lines, flow.name);
}

// 8 keys of the cursor round; a refused pass, an illegal and a legal move.
const std::vector<std::string> kOpening = {"Up",   "Up",   "Space", "Up",      "Up",        "Up",
                                           "Home", "Left", "M",     "Space",   "A",         "X",
                                           "C",    "Z",    "B",     "Shift+K", "Ctrl+Space"};

INSTANTIATE_TEST_SUITE_P(
    Board, GameFlow,
    ::testing::Values(
        Flow{"two_players_opening", TwoPlayers(), kOpening, 40000},
        Flow{"quit_no_then_yes", TwoPlayers(), {"Q", "Enter", "Q", "Left", "Enter"}, 20000},
        Flow{"reports_and_switches",
             TwoPlayers(2, 1),
             {"V", "W", "T", "D", "D", "G", "G", "F11", "Space", "K", "F11", "F2", "F1", "Escape"},
             40000},
        Flow{"timed_countdown_and_timeout", Computer(1, 2, 1), {}, 140000},
        Flow{"level1_first_moves", Computer(1), {"Up", "Up", "Space", "K", "Space"}, 30000},
        // One move left for white, on d4, that takes the last black disc:
        // nine quick games, then the verdict of the match.
        Flow{"staged_match_verdict", TwoPlayers(3), std::vector<std::string>(9, "Space"), 200000,
             20000,
             "a1 b1 c1 d1 e1 f1 g1 h1 a2 b2 c2 d2 e2 f2 g2 h2 a3 b3 c3 d3 e3 f3 g3 h3 a4 b4 c4 "
             "f4 g4 h4 a5 b5 c5 d5 e5 f5 g5 h5 a6 b6 c6 d6 e6 f6 g6 h6 a7 b7 c7 d7 e7 f7 g7 "
             "h7 a8 b8 c8 d8 e8 f8 g8 h8\r\ne4\r\n1\r\n",
             "Enter"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
