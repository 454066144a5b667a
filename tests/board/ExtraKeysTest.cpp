// The reading keys and controls beyond the original key set (L, R, E, H, S,
// the brackets, minus and equals, Backspace), played by a scripted player.
#include <gtest/gtest.h>

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
    std::vector<std::string> keys;  // pressed `step` ms apart from 8 s on
    int step;
    const char* startFile = nullptr;
};

void PrintTo(const Flow& flow, std::ostream* out) {
    *out << flow.name;
}

class ExtraKeyFlow : public ::testing::TestWithParam<Flow> {};

TEST_P(ExtraKeyFlow, SoundsAsRecorded) {
    const Flow& flow = GetParam();
    Session s;
    if (flow.startFile) {
        s.writeFile("start.txt", flow.startFile);
    }
    s.app->StartUp();
    s.pressAll(8000, flow.step, flow.keys);
    s.startGame(flow.choice);
    s.runUntil(8000 + flow.step * static_cast<std::int64_t>(flow.keys.size() + 1));
    ExpectGolden(s.lines, flow.name);
}

INSTANTIATE_TEST_SUITE_P(
    Board, ExtraKeyFlow,
    ::testing::Values(
        // White f4, black e6, then every reading key; the take-back of e6.
        Flow{"reading_keys_middle_game",
             {1, 1, 0, 1},
             {"R", "Backspace", "L", "K", "K", "Space", "U", "I", "Space", "L", "R", "E", "H", "S",
              "Backspace", "R", "ru:Д", "ru:К", "ru:Ы"},
             20000,
             kMiddleGame},
        Flow{"takeback_against_computer",
             {2, 1, 0, 2},
             {"Backspace", "Up", "Up", "Space", "R", "S", "Backspace", "R", "Backspace"},
             8000},
        Flow{"refused_in_a_timed_game", {1, 2, 1, 1}, {"Backspace", "S", "E"}, 6000},
        Flow{"refused_in_a_staged_match", {1, 3, 0, 1}, {"-", "S", "Backspace", "ru:Ы", "H"}, 6000},
        Flow{"speed_and_music_level",
             {1, 1, 0, 1},
             {"]",     "ru:Ъ",  "[",     "[",     "[",     "ru:Х",  "[",     "Z",
              "Minus", "Equal", "Equal", "Minus", "Minus", "Minus", "Minus", "Minus",
              "Minus", "Minus", "Minus", "Minus", "Minus", "Minus", "Minus", "Equal"},
             4000}),
    [](const auto& info) { return std::string(info.param.name); });

// What the player hears in the first 400 ms after one key on the opening
// position, cursor on d4.
std::vector<std::string> Heard(const std::string& key) {
    Session s;
    s.app->StartUp();
    s.press(8000, key);
    s.startGame({1, 1, 0, 1});
    s.runUntil(8400);
    std::vector<std::string> heard;
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        if (s.lines[i].find("key ") != std::string::npos) {
            heard.assign(s.lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, s.lines.end());
        }
    }
    for (auto& line : heard) {
        line = line.substr(9);  // without the time
    }
    return heard;
}

struct SameKey {
    const char* latin;
    const char* russian;  // none for the keys that are not letters
    std::vector<std::string> heard;
};

class ExtraKeyLayouts : public ::testing::TestWithParam<SameKey> {};

TEST_P(ExtraKeyLayouts, LatinRussianAndBareKeyCodesAgree) {
    const SameKey& k = GetParam();
    EXPECT_EQ(Heard(k.latin), k.heard);
    if (k.russian != nullptr) {
        EXPECT_EQ(Heard(std::string("ru:") + k.russian), k.heard);
        EXPECT_EQ(Heard(std::string("bare:") + k.russian), k.heard);
    }
    EXPECT_EQ(Heard(std::string("Shift+") + k.latin), std::vector<std::string>{});
    EXPECT_EQ(Heard(std::string("Alt+") + k.latin), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Board, ExtraKeyLayouts,
    ::testing::Values(SameKey{"L", "Д", {"say moves"}}, SameKey{"R", "К", {"say nolast"}},
                      SameKey{"E", "У", {"say row"}}, SameKey{"H", "Р", {"say column"}},
                      SameKey{"S", "Ы", {"say hint"}},
                      SameKey{"[", "Х", {"phrase rate 90%", "say rate"}},
                      SameKey{"]", "Ъ", {"phrase rate 110%", "say rate"}},
                      SameKey{"Minus", nullptr, {"music volume -300", "say musvol"}},
                      SameKey{"Equal", nullptr, {"say musvol"}},
                      SameKey{"Backspace", nullptr, {"say unavailable"}}),
    [](const auto& info) {
        const std::string name = info.param.latin;
        return name == "[" ? std::string("BracketLeft") : name == "]" ? "BracketRight" : name;
    });

// The game as Backspace must give it back.
struct GameState {
    Board board;
    std::int16_t hod;
    int player;
    std::int16_t timeLeft;
    std::int16_t passCount;
    ReverControl::TurnNotes turns;
    bool operator==(const GameState&) const = default;
};

GameState StateOf(const ReverControl& r) {
    return {r.board(), r.Hod(), r.CurPlayer(), r.TimeLeft(), r.PassCount(), r.LastTurns()};
}

struct TakeBackCase {
    GameChoiceValues choice;
    bool secondPerson;  // black is a person, who plays e6; else the computer answers
};

class TakeBack : public ::testing::TestWithParam<TakeBackCase> {};

// Backspace goes back through every person's move, exactly, and then has
// nothing left to take.
TEST_P(TakeBack, RestoresTheGameExactlyAsItStoodBeforeEachMove) {
    Session s;
    s.app->StartUp();
    std::vector<GameState> before;
    auto keep = [&](std::int64_t at) {
        s.clock.singleShot(static_cast<int>(at - s.now()),
                           [&] { before.push_back(StateOf(s.rever())); });
    };
    s.pressAll(8000, 500, {"Up", "Up"});  // d6 for white
    keep(9500);
    s.press(10000, "Space");
    if (GetParam().secondPerson) {
        s.press(19000, "K");
        keep(19500);
        s.press(20000, "Space");
    }
    s.startGame(GetParam().choice);
    s.runUntil(29000);
    ASSERT_EQ(before.size(), GetParam().secondPerson ? 2u : 1u);
    ASSERT_NE(StateOf(s.rever()), before.back());
    for (std::size_t i = before.size(); i-- > 0;) {
        s.press(s.now() + 1000, "Backspace");
        s.runUntil(s.now() + 9000);
        EXPECT_EQ(StateOf(s.rever()), before[i]) << "take-back " << before.size() - i;
    }
    s.press(s.now() + 1000, "Backspace");
    s.runUntil(s.now() + 2000);
    EXPECT_EQ(s.rever().TakeBackDepth(), 0u);
    EXPECT_EQ(s.lines.back().substr(9), "say unavailable");
}

INSTANTIATE_TEST_SUITE_P(Board, TakeBack,
                         ::testing::Values(TakeBackCase{{1, 1, 0, 1}, true},
                                           TakeBackCase{{2, 1, 0, 4}, false}));

}  // namespace
}  // namespace korvel::testing
