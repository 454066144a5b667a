// The reading keys and controls beyond the original key set (L, R, E, H, S,
// the brackets, minus and equals, Backspace) under both layouts, played by a
// scripted player and kept as golden transcripts.
#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <sstream>

#include "Session.h"

namespace korvel::testing {
namespace {

// White to move, seven moves (b2 b3 d2 e2 f3 f4 g5):
//   6 . . . W . W . .
//   5 W W W W W B . .
//   4 . . B B B . . .
//   3 . . B B W . . .
//   2 . . B . . . . .
//   1 . B B B . . . .
const char* const kMiddleGame = "a5 b5 c5 d5 d6 e3 e5 f6\r\nb1 c1 c2 c3 c4 d1 d3 d4 e4 f5\r\n1\r\n";

struct Flow {
    const char* name;
    GameChoiceValues choice;
    const char* keys;  // pressed `step` ms apart from 8 s on ("-": none)
    int step;
    const char* startFile = nullptr;
    std::pair<const char*, const char*> stored{};  // [Music] rate, volume written by hand
    // Before a move, after it and after its take-back: the first and the last
    // game state must be the same, exactly, the one between them not.
    std::array<int, 3> takeBackAt{};
};

// Board, move number, player, clock, passes and last turns.
auto StateOf(const ReverControl& r) {
    return std::tuple(r.board(), r.Hod(), r.CurPlayer(), r.TimeLeft(), r.PassCount(),
                      r.LastTurns());
}

class ExtraKeyFlow : public ::testing::TestWithParam<Flow> {};

TEST_P(ExtraKeyFlow, SoundsAsRecorded) {
    const Flow& flow = GetParam();
    Session s;
    if (flow.startFile) {
        s.writeFile("start.txt", flow.startFile);
    }
    if (flow.stored.first) {
        s.setIni("Music", "rate", flow.stored.first);
        s.setIni("Music", "volume", flow.stored.second);
    }
    s.app->StartUp();
    std::istringstream in(flow.keys);
    const std::vector<std::string> keys{std::istream_iterator<std::string>(in), {}};
    s.pressAll(8000, flow.step, keys);
    std::vector<decltype(StateOf(s.rever()))> seen;
    for (const int at : flow.takeBackAt) {
        if (at > 0) {
            s.clock.singleShot(at, [&] { seen.push_back(StateOf(s.rever())); });
        }
    }
    s.startGame(flow.choice);
    s.runUntil(8000 + flow.step * static_cast<std::int64_t>(keys.size() + 1));
    ExpectGolden(s.lines, flow.name);
    if (seen.size() == 3) {
        EXPECT_NE(seen[1], seen[0]);
        EXPECT_EQ(seen[2], seen[0]);
    }
    // What the player set is what the next start reads.
    MusicList next(s.clock, s.app->settings(), s.device);
    next.Init(20);
    EXPECT_EQ(std::pair(next.Rate(), next.MusicVolume()),
              std::pair(s.app->mm().Rate(), s.app->mm().MusicVolume()));
}

INSTANTIATE_TEST_SUITE_P(
    Board, ExtraKeyFlow,
    ::testing::Values(
        // White f4, black e6, every reading key in both layouts, the take-back of e6.
        Flow{"reading_keys_middle_game",
             {1, 1, 0, 1},
             "R Backspace L K K Space U I Space L R E H S Shift+L Alt+S Backspace R "
             "ru:Д ru:К ru:У ru:Р ru:Ы",
             20000,
             kMiddleGame},
        Flow{"takeback_against_computer",
             {2, 1, 0, 2},
             "Backspace Up Up Space R S Shift+Backspace Backspace R Backspace",
             8000,
             nullptr,
             {},
             {31000, 50000, 70000}},
        Flow{"refused_in_a_timed_game", {1, 2, 1, 1}, "Backspace S E", 6000},
        Flow{"refused_in_a_staged_match", {1, 3, 0, 1}, "- S Backspace ru:Ы H", 6000},
        // From hand-written values out of range (70%, +5 dB) to the limits and back.
        Flow{"speed_and_music_level",
             {1, 1, 0, 1},
             "- [ ] ru:Ъ ] ru:Х Shift+[ Z Equal Minus Equal Ctrl+Minus Minus Minus Minus Minus "
             "Minus "
             "Minus Minus Minus Minus Minus Minus Equal",
             4000,
             nullptr,
             {"70", "5"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
