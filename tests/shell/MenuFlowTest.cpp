// The spoken menu from start-up to the exit, played by a scripted player and
// kept as golden transcripts, with the stored choices at the end.
#include <gtest/gtest.h>

#include "Session.h"

namespace korvel::testing {
namespace {

struct MenuFlow {
    const char* name;
    std::vector<std::string> keys;  // pressed 1.5 s apart from 3 s on
    std::int64_t until;
    std::vector<std::pair<const char*, const char*>> stored;  // [Menu] values before start-up
};

void PrintTo(const MenuFlow& flow, std::ostream* out) {
    *out << flow.name;
}

class Menu : public ::testing::TestWithParam<MenuFlow> {};

TEST_P(Menu, SoundsAsRecorded) {
    const MenuFlow& flow = GetParam();
    Session s;
    for (const auto& [key, value] : flow.stored) {
        s.setIni("Menu", key, value);
    }
    ASSERT_TRUE(s.app->StartUp());
    s.pressAll(3000, 1500, flow.keys);
    s.app->ShowMenu(true);
    s.runUntil(flow.until);
    s.lines.push_back(std::string("board ") + (s.boardShown() ? "shown" : "hidden") + ", times " +
                      std::to_string(s.rever().Times()));
    for (const char* key : {"position", "type", "time", "level"}) {
        s.lines.push_back(std::string("[Menu] ") + key + "=" +
                          s.app->settings().GetIni("Menu", key));
    }
    s.lines.push_back("[Music] music=" + s.app->settings().GetIni("Music", "music"));
    ExpectGolden(s.lines, flow.name);
}

INSTANTIATE_TEST_SUITE_P(
    Shell, Menu,
    ::testing::Values(
        MenuFlow{"first_page", {"Down", "Down", "Enter", "End", "Up", "Home"}, 14000, {}},
        // Two players, a timed game; a letter and Enter refused, then 0 for ten minutes.
        MenuFlow{"two_players_ten_minutes",
                 {"Home", "Enter", "Down", "Enter", "ru:Ф", "Enter", "0", "Down", "Down", "Down",
                  "Down", "Enter"},
                 32000,
                 {}},
        // Against the computer: the level page opens on the stored level;
        // the master refused in a timed game; a level starts it.
        MenuFlow{"computer_levels",
                 {"Enter", "Down", "Enter", "3", "Down", "Down", "Down", "Enter", "Enter", "Up",
                  "Enter"},
                 30000,
                 {{"position", "2"}, {"level", "4"}, {"type", "1"}}},
        MenuFlow{"load_without_games", {"Down", "Down", "Down", "Enter", "Up"}, 12000, {}},
        // A game quit with Q after G: the music switch is stored off.
        MenuFlow{"back_from_a_game",
                 {"End", "Up", "Enter", "-", "-", "-", "-", "-", "G", "Q", "Left", "Enter"},
                 36000,
                 {{"position", "1"}, {"type", "1"}, {"time", "0"}}},
        MenuFlow{"exit_item", {"End", "Enter"}, 8000, {}},
        MenuFlow{"stored_values_out_of_range",
                 {"Enter", "Enter"},
                 12000,
                 {{"position", "3"}, {"type", "9"}, {"time", "99"}, {"level", "7"}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
