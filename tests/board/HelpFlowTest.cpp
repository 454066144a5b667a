// The help window in the whole program: F1 during a game and the first start.
#include <gtest/gtest.h>

#include <QApplication>

#include "Session.h"
#include "Startup.h"

namespace korvel::testing {
namespace {

TEST(HelpFlow, F1ReadsTheRulesDuringATimedGame) {
    Session s;
    s.app->StartUp();
    HandleReadMe(s.folder.path(), "01.02.2026 03:04:05");
    s.pressAll(8000, 500,
               {"F1", "Down", "Down", "]", "ru:Ъ", "[", "Ctrl+End", "Ctrl+Home", "Shift+Down",
                "PageDown", "Up", "Escape"});
    s.startGame({1, 2, 1, 1});
    s.runUntil(30000);
    EXPECT_EQ(s.app->settings().GetIni("Dictor", "speed"), "155");
    EXPECT_TRUE(s.rever().timeCelRunning());
    ExpectGolden(s.lines, "help_during_game");
}

// The first start opens the rules; the window manager's close counts as the button.
TEST(HelpFlow, FirstStartShowsTheRules) {
    Session s;
    s.app->StartUp();
    s.pressAll(1000, 500, {"Down", "Tab", "Shift+Tab", "Down"});
    s.clock.singleShot(4000, [] { QApplication::activeWindow()->close(); });
    s.app->HandleReadMeStep(HandleReadMe(s.folder.path(), "01.02.2026 03:04:05"));
    s.lines.push_back("back at " + std::to_string(s.now()) + " ms");
    ExpectGolden(s.lines, "first_run_start");
}

}  // namespace
}  // namespace korvel::testing
