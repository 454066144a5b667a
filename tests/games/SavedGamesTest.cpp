// Saving into slots and loading saved games, played by a scripted player and
// kept as golden transcripts; and one round trip through the real files.
#include <gtest/gtest.h>

#include <QApplication>

#include "Session.h"

namespace korvel::testing {
namespace {

// A saved game's file: the record of `game` with its board given row 1 to 8.
std::string SlotBytes(SavedGame game, const std::string& rows = "", const std::string& tail = "") {
    for (std::size_t i = 0; i < rows.size() && i < 64; ++i) {
        game.board.cells[i] = static_cast<CellCode>(rows[i] - '0');
    }
    return EncodeRecord(BuildRecord(game) + tail) + "\r\n";
}

SavedGame Stage(int tur) {
    SavedGame game;
    game.tur = tur;
    game.tip = 3;
    return game;
}

// Against the computer, type 4, the third game, two minutes a move, 45 s left,
// the computer (black) to move.
const std::string kTimedComputerTurn =
    SlotBytes({2, 4, 3, 120, 45, 12, 2, 5, 3, {2, 2}, {70, 58}, 2, {}},
              "00000000"
              "00000000"
              "00010000"
              "00011000"
              "00021000"
              "00000000"
              "00000000"
              "00000000");

struct Flow {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // in the Games folder
    bool load;                      // the menu's load choice, else F2 in a game
    std::vector<std::string> keys;  // 1.5 s apart; "Close": the window manager; "-": none
    std::int64_t until = 30000;
};

// A line of the test's own in the transcript, stamped as the session stamps.
void Note(Session& s, const std::string& text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8.3f ", static_cast<double>(s.now()) / 1000.0);
    s.lines.push_back(stamp + text);
}

void PrintTo(const Flow& flow, std::ostream* out) {
    *out << flow.name;
}

// What the Games folder holds: each file's decoded record.
void ListFolder(Session& s) {
    const auto games = s.folder / "Games";
    if (!std::filesystem::is_directory(games)) {
        s.lines.push_back("Games: " + ReadBytes(games));
        return;
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(games)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        s.lines.push_back("file " + name + " " + ReadSlotFile(games / name));
    }
}

class SavedGames : public ::testing::TestWithParam<Flow> {};

TEST_P(SavedGames, SoundAsRecorded) {
    const Flow& flow = GetParam();
    Session s;
    std::filesystem::create_directories(s.folder / "Games");
    for (const auto& [name, bytes] : flow.files) {
        if (name == "Games") {
            std::filesystem::remove(s.folder / "Games");
        }
        s.writeFile(name == "Games" ? name : "Games/" + name, bytes);
    }
    ASSERT_TRUE(s.app->StartUp());
    std::int64_t at = flow.load ? 2000 : 8000;
    for (const auto& key : flow.keys) {
        if (key == "Close") {
            s.clock.singleShot(static_cast<int>(at), [&s] {
                Note(s, "the window manager closes the dialog");
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (w->objectName() == "frmGameFiles" && w->isVisible()) {
                        w->close();
                    }
                }
            });
        } else if (key != "-") {
            s.press(at, key);
        }
        at += 1500;
    }
    if (flow.load) {
        s.app->GameChoice(3);
    } else {
        s.startGame({2, 1, 0, 1});
    }
    s.runUntil(flow.until);
    ListFolder(s);
    ExpectGolden(s.lines, flow.name);
}

// A move each, so that there is a game to save, then F2 once the computer has spoken.
std::vector<std::string> Save(std::vector<std::string> dialogKeys) {
    std::vector<std::string> keys{"Up", "Up", "Space", "-", "-", "F2"};
    keys.insert(keys.end(), dialogKeys.begin(), dialogKeys.end());
    return keys;
}

const std::string kStage1 = SlotBytes(Stage(1));
const std::string kStage3 = SlotBytes(Stage(3));

INSTANTIATE_TEST_SUITE_P(
    Slots, SavedGames,
    ::testing::Values(
        Flow{"save_no_games", {}, false, Save({"Enter"})},
        Flow{"save_over_second",
             {{"lok1.rsg", kStage1}, {"lok2.rsg", kStage3}},
             false,
             Save({"Down", "Enter"})},
        Flow{"save_new_after_gap",
             {{"lok1.rsg", kStage1}, {"lok3.rsg", kStage3}},
             false,
             Save({"End", "Enter"})},
        Flow{"save_cancel_tab_round", {}, false, Save({"Tab", "Tab", "Tab", "Escape"})},
        Flow{"save_window_closed", {}, false, Save({"Close"})},
        Flow{"save_fails_folder_in_the_way", {{"Games", "not a folder"}}, false, Save({"Enter"})},
        Flow{"load_none", {}, true, {}, 5000},
        Flow{"load_timed_computer_turn", {{"lok1.rsg", kTimedComputerTurn}}, true, {"Enter"}},
        Flow{"load_damaged_left_out",
             {{"lok1.rsg", kStage1},
              {"lok2.rsg", kStage3},
              {"lok10.rsg", SlotBytes(Stage(4), "", " ")},
              {"lok11.rsg", SlotBytes(Stage(5))},
              {"lokx.rsg", kStage1}},
             true,
             {"Down", "Down", "Up", "Escape"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Save, start the program afresh on the saved file, load: every field is back.
TEST(SavedGameFiles, RoundTripThroughTheFiles) {
    SavedGame saved;
    std::string bytes;
    {
        Session s;
        ASSERT_TRUE(s.app->StartUp());
        auto report = s.app->dialogs().observer;
        s.app->dialogs().observer = [&](const DialogRecord& record) {
            if (record.answer == 0) {
                saved = s.rever().SavedState();
            }
            report(record);
        };
        s.pressAll(8000, 1500, {"Up", "Up", "Space", "Left", "F2", "Enter"});
        s.startGame({2, 4, 2, 3});
        s.runUntil(30000);
        bytes = ReadBytes(s.folder / "Games" / "lok1.rsg");
    }
    ASSERT_FALSE(bytes.empty());
    Session s;
    std::filesystem::create_directories(s.folder / "Games");
    s.writeFile("Games/lok1.rsg", bytes);
    ASSERT_TRUE(s.app->StartUp());
    s.press(2000, "Enter");
    s.app->GameChoice(3);
    EXPECT_EQ(s.rever().SavedState(), saved);
    EXPECT_EQ(s.rever().Turs(), 9);
    EXPECT_EQ(s.rever().PassCount(), -1);
    EXPECT_TRUE(s.boardShown());
}

}  // namespace
}  // namespace korvel::testing
