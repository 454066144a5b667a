// Saving into slots and loading saved games, played by a scripted player and
// kept as golden transcripts, the Games folder's files at the end of each.
#include <gtest/gtest.h>

#include "GameSession.h"

namespace korvel::testing {
namespace {

// A saved game's file: a record that goes on with zeros to its length.
std::string Slot(std::string record, std::size_t length = kRecordLength) {
    record.resize(length, '0');
    return EncodeRecord(record) + "\r\n";
}

// The third game of type 4 against the computer (or of two players), two
// minutes a move, 45 s left, black to move on this board (rows 1 to 8).
const std::string kBoard = "0000000000000000000100000001100000021000000000000000000000000000";
const std::string kTimedComputerTurn = Slot("24300007802D12253020204603A2" + kBoard);

struct Flow {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // in the Games folder
    bool load;                      // the menu's load choice, else F2 in a game
    std::vector<std::string> keys;  // 1.5 s apart; "Close": the window manager; "-": none
    std::int64_t until = 30000;
};

void PrintTo(const Flow& flow, std::ostream* out) {
    *out << flow.name;
}

// What the Games folder holds: each file's decoded record.
void ListFolder(GameSession& s) {
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
    GameSession s;
    std::filesystem::create_directories(s.folder / "Games");
    for (const auto& [name, bytes] : flow.files) {
        if (name == "Games") {
            std::filesystem::remove(s.folder / "Games");
        }
        s.writeFile(name == "Games" ? name : "Games/" + name, bytes);
    }
    ASSERT_TRUE(s.startUp());
    std::int64_t at = flow.load ? 2000 : 8000;
    for (const auto& key : flow.keys) {
        if (key == "Close") {
            s.clock.singleShot(static_cast<int>(at), [&s] {
                s.device.write("the window manager closes the dialog");
                s.closeDialog();
            });
        } else if (key != "-") {
            s.press(at, key);
        }
        at += 1500;
    }
    if (flow.load) {
        s.loadGame();
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

// A game of a staged match (type 3) at its stage, on kBoard.
std::string Staged(char stage, std::size_t length = kRecordLength) {
    return Slot(std::string("13") + stage + "0000000000111100000000000" + kBoard, length);
}
const std::string kStage1 = Staged('1'), kStage3 = Staged('3');

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
        // Every field comes back: saved again at once, the game is the same but
        // for the seconds gone.
        Flow{"load_and_save_again",
             {{"lok1.rsg", Slot("14300007802D12253020204603A0" + kBoard)}},
             true,
             {"Enter", "-", "-", "-", "-", "-", "-", "-", "F2", "End", "Enter"}},
        Flow{"load_damaged_left_out",
             {{"lok1.rsg", kStage1},
              {"lok2.rsg", kStage3},
              {"lok10.rsg", Staged('4', kRecordLength + 1)},
              {"lok11.rsg", Staged('5')},
              {"lok12.rsg", Slot("13600000000001111")},  // an empty board: over at once
              {"lokx.rsg", kStage1}},
             true,
             {"Down", "Down", "Up", "Escape"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
