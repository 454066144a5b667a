// Damaged and missing files never hurt a game. Each row lays out a program
// folder with one fault and starts the whole program on it: from the menu the
// player loads the saved game and plays it out, reading the rules (F1) and
// saving (F2) on the way, plays a new game to its result and leaves; or, where
// the start cannot go on, hears why. No file of the player's is destroyed.
#include <gtest/gtest.h>

#include <sstream>

#include "Session.h"
#include "core/TextCodec.h"
#include "platform/SystemFiles.h"

namespace korvel::testing {
namespace {
namespace fs = std::filesystem;

// A row of data/damaged_rows.txt: the target, the damage done to it and what
// the player then gets.
struct Row {
    std::string name, target, damage, outcome;
};

std::string Damaged(const std::string& damage, const std::string& good, const std::string& range) {
    std::string out = damage == "10mb"    ? good + std::string(10 << 20, 'z')
                      : damage == "utf8"  ? "\xEF\xBB\xBF" + Cp1251ToUtf8(good)
                      : damage == "range" ? range
                                          : "";
    for (std::uint32_t x = 7; damage == "junk" && out.size() < 4096;) {
        out.push_back(static_cast<char>((x = x * 1103515245 + 12345) >> 24));
    }
    for (const char c : damage == "cr" || damage == "lf" ? good : "") {
        if (c != '\n') {
            out.push_back(c == '\r' && damage == "lf" ? '\n' : c);
        }
    }
    return out;
}

// Lays out the program folder (and the user folder of a "user" row) from the
// built recordings, the program's own settings and rules, and the player's
// files in data/damaged (start.txt: white takes e4, black passes, white fills
// the board on h8; lok.rsg: the same, saved at move 5; range.*: values out of
// their ranges), then damages the row's target. Returns the folders the
// program chooses at start.
Folders LayOut(const fs::path& temp, const Row& row) {
    const fs::path data = fs::path(std::getenv("KORVEL_TEST_DATA")) / "damaged";
    const fs::path program = temp / "program",
                   user = row.target == "user" ? temp / "user" : program;
    fs::create_directories(program);
    fs::create_directories(user / "Games");
    for (const char* assets : {"Speaks", "Sounds", "Musics"}) {
        fs::copy(fs::path(KORVEL_PROGRAM_DIR) / assets, program / assets,
                 fs::copy_options::recursive);
    }
    Settings(SettingsPath(user)).CreateIni();
    HandleReadMe(user, "d");
    fs::copy_file(data / "start.txt", user / "start.txt");
    for (const char* slot : {"Games/lok1.rsg", "Games/lok2.rsg"}) {
        fs::copy_file(data / "lok.rsg", user / slot);
    }
    const fs::path damaged = program / row.target;
    if (row.damage == "folder" || row.damage == "missing" || row.target == "Games") {
        fs::remove_all(damaged);
        if (row.target == "Games") {
            WriteBytes(damaged, "");
        } else if (row.damage == "folder") {
            fs::create_directories(damaged / "inside");
        }
    } else if (row.damage == "junk" && fs::is_directory(damaged)) {  // a sound's header, then junk
        for (const auto& entry : fs::directory_iterator(damaged)) {
            WriteBytes(entry.path(),
                       ReadBytes(entry.path()).substr(0, 4) + Damaged("junk", "", ""));
        }
    } else if (row.damage != "readonly") {
        const std::string range = ReadBytes(data / ("range." + damaged.filename().string()));
        WriteBytes(damaged, Damaged(row.damage, ReadBytes(damaged), range));
    }
    for (auto it = fs::recursive_directory_iterator(temp);
         row.damage == "readonly" && it != fs::end(it); ++it) {
        fs::permissions(it->path(),
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
    ::setenv("XDG_DATA_HOME", (temp / "home").c_str(), 1);
    const Folders folders =
        row.target == "user" ? Folders(program, user) : ChooseFolders(LookUpFolderFacts(program));
    MakeUserFolder(folders);
    return folders;
}

// Plays the game on the board to its end: the first legal cell, reached with
// the arrows, or a pass; F1 once, and F2 once a game may be saved.
void PlayOut(Session& s, bool& helped, bool& saved) {
    Game& game = s.game();
    for (int turn = 0; s.boardShown() && turn < 200; ++turn) {
        ASSERT_TRUE(s.clock.waitUntil([&] { return !s.boardShown() || game.idle(); }, 60000));
        if (!s.boardShown()) {
            return;
        }
        int cell = 0;
        while (cell < 64 &&
               CountFlips(game.board(), cell % 8 + 1, cell / 8 + 1, game.player()) == 0) {
            ++cell;
        }
        for (; cell < 64 && game.cursorCol() != cell % 8 + 1; s.clock.advance(300)) {
            s.sendKey(game.cursorCol() < cell % 8 + 1 ? "Right" : "Left");
        }
        for (; cell < 64 && game.cursorRow() != cell / 8 + 1; s.clock.advance(300)) {
            s.sendKey(game.cursorRow() < cell / 8 + 1 ? "Up" : "Down");
        }
        if (!std::exchange(helped, true)) {
            s.sendKey("F1");
        } else if ((game.moveNumber() > 1 || game.stage() > 1) && !std::exchange(saved, true)) {
            s.sendKey("F2");  // after the cursor moved: a record unlike any on the disk
        } else {
            s.sendKey(cell < 64 ? "Space" : "A");
        }
    }
    ASSERT_FALSE(s.boardShown()) << "the game did not end";
}

class DamagedFolders : public ::testing::TestWithParam<Row> {};

TEST_P(DamagedFolders, NeverHurtAGame) {
    const Row& row = GetParam();
    if (!fs::is_directory(fs::path(KORVEL_PROGRAM_DIR) / "Speaks")) {
        GTEST_SKIP() << "the recordings are built with KORVEL_BUILD_ASSETS";
    }
    std::optional<WithoutPermissionOverride> readOnly;
    if (row.damage == "readonly") {
        readOnly.emplace();
    }
    Session s(1, [&row](const fs::path& temp) { return LayOut(temp, row); });
    ASSERT_TRUE(s.judgeFilesByTheRealDevice());
    const auto before = Snapshot(s.folder.path());
    auto report = s.app->dialogs().observer;
    s.app->dialogs().observer = [&](const DialogRecord& record) {
        report(record);
        const bool save = record.caption == "Сохранить игру";  // the new slot, last in the list
        const bool no = record.caption == "Сообщение";         // "Нет", next to "Да"
        if (record.answer == 0) {
            s.pressAll(s.now() + 1500, 1500,
                       {save                    ? "End"
                        : no                    ? "Right"
                        : record.kind == "help" ? "Escape"
                                                : "Enter",
                        save || no ? "Enter" : "-"});
        }
    };
    bool refused = false;
    s.app->onStartRefused = [&refused] { refused = true; };
    ASSERT_EQ(s.app->StartUp(), row.outcome != "startfails");
    if (row.outcome == "startfails") {
        EXPECT_TRUE(s.clock.waitUntil([&refused] { return refused; }, 60000));
        EXPECT_TRUE(s.heard("dialog [Error] Не найдены записи голоса", true));
        EXPECT_TRUE(s.heard("speak Не найдены записи голоса", true));
    } else {
        s.app->HandleReadMeStep(HandleReadMe(s.folders.user, "d"), [&] { s.app->ShowMenu(true); });
        ASSERT_TRUE(s.clock.waitUntil([&] { return s.app->menu().isVisible(); }, 60000));
        bool helped = false, saved = false;
        // The menu's load item; then two players, a single game, its start item; then the exit.
        for (const char* keys :
             {"Home Down Down Down Enter", "Home Enter Home Enter End Up Enter", "End Enter"}) {
            std::istringstream in(keys);
            for (std::string key; in >> key; s.clock.advance(1500)) {
                s.sendKey(key);
            }
            PlayOut(s, helped, saved);
        }
        EXPECT_TRUE(s.heard(row.outcome == "savefails" ? "say savefail" : "say save"));
        EXPECT_TRUE(s.heard("say chao"));
        EXPECT_TRUE(s.heard("help [Помощь!] ", true) && !s.heard("help [Помощь!] ")) << "no rules";
    }
    EXPECT_FALSE(s.device.isOpen()) << "the program did not end in order";
    const auto after = Snapshot(s.folder.path());
    for (const auto& [path, bytes] : before) {  // the settings and the rules may be rewritten
        const bool ours = (path.filename() == "Korvel.ini" || path.filename() == "ReadMe.txt") &&
                          bytes != "<folder>" && path.parent_path() == s.folders.user;
        EXPECT_TRUE(after.count(path) != 0 && (ours || after.at(path) == bytes)) << path;
    }
    for (const auto& [path, bytes] : after) {
        EXPECT_NE(path.extension(), ".tmp") << path;
    }
    for (std::size_t i = 0; HasFailure() && i < s.lines.size(); ++i) {
        std::printf("%s\n", s.lines[i].c_str());  // what the player heard, to see why
    }
}

std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (const std::string& line : DataLines("damaged_rows.txt")) {
        std::istringstream in(line);
        std::string target, outcome;
        in >> target >> outcome;
        for (std::string damage; in >> damage;) {
            std::string name = (target == "." ? "program" : target) + "_" + damage;
            std::replace_if(
                name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
            rows.push_back({name, target, damage, outcome});
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFolders, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

// No sound output at all, not even a silent one: the start ends, and the
// player hears and sees why in the sound system's words.
TEST(SoundDevice, ThatCannotOpenEndsTheStartSaidAndShown) {
    Session s;
    s.device.setOpenResult(false);
    EXPECT_FALSE(s.app->StartUp());
    s.clock.advance(100);
    EXPECT_TRUE(s.heard("speak Не удаётся открыть звуковое устройство. Программа", true) &&
                s.heard("dialog [Error] Не удаётся открыть звуковое устройство: | no audio "
                        "device | ",
                        true));
}

}  // namespace
}  // namespace korvel::testing
