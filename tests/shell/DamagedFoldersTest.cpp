// Damaged and missing files never hurt a game. Each row lays out a program
// folder with one fault, starts the whole program on it, loads the saved game
// from the menu and plays it out, saves in a new game and plays that to its
// result, and leaves from the menu; where the start cannot go on, it checks
// what the player is told. No file of the player's is destroyed.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "SdlAudioDevice.h"
#include "Session.h"
#include "TextCodec.h"

namespace korvel::testing {
namespace {
namespace fs = std::filesystem;

constexpr auto kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
enum class Damage {
    Empty,
    Junk,
    Huge,
    Utf8,
    LoneCr,
    LoneLf,
    OutOfRange,
    Folder,
    Missing,
    ReadOnly
};
enum class Outcome { Plays, SaveFails, StartFails };
struct Row {
    const char* name;
    const char* target;  // in the program folder; "." the folder itself, "user" the user folder
    Damage damage;
    Outcome outcome = Outcome::Plays;
};
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

// Root writes through folder permissions; a read-only row takes that right
// from this thread for its run, as an ordinary player never has it.
struct WithoutOverride {
    __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{}, saved[2]{};
    explicit WithoutOverride(bool drop) {
        if (drop && syscall(SYS_capget, &head, saved) == 0) {
            std::copy(saved, saved + 2, caps);
            caps[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            syscall(SYS_capset, &head, caps);
        }
    }
    ~WithoutOverride() { syscall(SYS_capset, &head, saved); }
};

// The real device judges every file: what it cannot decode is silent in the game.
struct Judge {
    SdlAudioDevice device;
    std::map<fs::path, bool> known;
    bool operator()(const fs::path& file) {
        if (known.count(file) == 0) {
            AudioDevice::Handle h = 0;
            if (file.extension() == ".mid") {
                h = device.playMusic(file, false) ? 1 : 0;
                device.stopMusic();
            } else if (file.extension() == ".wav") {
                device.releaseEffect(h = device.loadEffect(file));
            } else {
                device.releasePlayer(h = device.openPlayer(file));
            }
            known[file] = h != 0;
        }
        return known[file];
    }
};

std::string Damaged(Damage damage, const std::string& good, const std::string& outOfRange) {
    std::string out;
    std::uint32_t x = 7;
    switch (damage) {
        case Damage::Empty:
            return out;
        case Damage::Junk:
            while (out.size() < 4096) {
                out.push_back(static_cast<char>((x = x * 1103515245 + 12345) >> 24));
            }
            return out;
        case Damage::Huge:
            return good + std::string(10 << 20, 'z');
        case Damage::Utf8:
            return "\xEF\xBB\xBF" + Cp1251ToUtf8(good);
        case Damage::OutOfRange:
            return outOfRange;
        default:
            for (const char c : good) {
                if (c != '\n') {
                    out.push_back(c == '\r' && damage == Damage::LoneLf ? '\n' : c);
                }
            }
            return out;
    }
}

// Every file under `root` with its bytes; folders as "<folder>".
std::map<fs::path, std::string> Snapshot(const fs::path& root) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        files[entry.path()] = entry.is_directory() ? "<folder>" : ReadBytes(entry.path());
    }
    return files;
}

// A transcript line that is `what`, or begins with it.
bool Heard(const Session& s, const std::string& what, bool prefix = false) {
    return std::any_of(s.lines.begin(), s.lines.end(), [&](const std::string& line) {
        return line.size() > 9 &&
               (prefix ? line.compare(9, what.size(), what) == 0 : line.substr(9) == what);
    });
}

// Plays the game on the board to its end: the first legal cell, reached with
// the arrows, or a pass; F1 reads the rules and F2 saves into a new slot once.
void PlayOut(Session& s, bool& helped, bool& saved) {
    ReverControl& rever = s.rever();
    for (int turn = 0; s.boardShown() && turn < 200; ++turn) {
        ASSERT_TRUE(s.clock.waitUntil(
            [&] { return !s.boardShown() || (rever.timeCelRunning() && !rever.Busy()); }, 60000));
        if (!s.boardShown()) {
            return;
        }
        if (!std::exchange(helped, true)) {
            s.sendKey("F1");
            continue;
        }
        int cell = 0;
        while (cell < 64 &&
               CountFlips(rever.board(), cell % 8 + 1, cell / 8 + 1, rever.CurPlayer()) == 0) {
            ++cell;
        }
        for (; cell < 64 && rever.CursorCol() != cell % 8 + 1; s.clock.advance(300)) {
            s.sendKey(rever.CursorCol() < cell % 8 + 1 ? "Right" : "Left");
        }
        for (; cell < 64 && rever.CursorRow() != cell / 8 + 1; s.clock.advance(300)) {
            s.sendKey(rever.CursorRow() < cell / 8 + 1 ? "Up" : "Down");
        }
        if ((rever.Hod() > 1 || rever.Tur() > 1) && !std::exchange(saved, true)) {
            s.sendKey("F2");  // after the cursor moved: a record unlike any on the disk
            continue;
        }
        s.sendKey(cell < 64 ? "Space" : "A");
    }
    ASSERT_FALSE(s.boardShown()) << "the game did not end";
}

class DamagedFolders : public ::testing::TestWithParam<Row> {};

TEST_P(DamagedFolders, NeverHurtAGame) {
    const Row& row = GetParam();
    const std::string target = row.target;
    WithoutOverride narrowed(row.damage == Damage::ReadOnly);
    Judge judge;
    ASSERT_TRUE(judge.device.open());
    // White everywhere but d4 and h8, black on e4 and g8: white takes e4, black
    // passes, white fills the board on h8.
    std::string white;
    SavedGame game;
    game.hod = 5;
    for (int cell = 0; cell < 64; ++cell) {
        const int code = cell == 27 || cell == 63 ? 0 : cell == 28 || cell == 62 ? 2 : 1;
        game.board.cells[static_cast<std::size_t>(cell)] = static_cast<CellCode>(code);
        white += code == 1 ? std::string{char('a' + cell % 8), char('1' + cell / 8), ' '} : "";
    }
    const std::string record = EncodeRecord(BuildRecord(game)) + "\r\n";
    Session s(1, [&](const fs::path& temp) {
        const fs::path program = temp / "program",
                       user = target == "user" ? temp / "user" : program;
        fs::create_directories(program);
        for (const char* assets : {"Speaks", "Sounds", "Musics"}) {
            fs::copy(fs::path(KORVEL_PROGRAM_DIR) / assets, program / assets,
                     fs::copy_options::recursive);
        }
        fs::create_directories(user / "Games");
        Settings(SettingsPath(user)).CreateIni();
        HandleReadMe(user, "d");
        const std::map<std::string, std::pair<std::string, std::string>> files = {
            {"Korvel.ini",
             {ReadBytes(user / "Korvel.ini"),
              "[Menu]\r\nlevel=99\r\ntime=-1\r\ntype=70000\r\nposition=-32769\r\n[Game]\r\n"
              "interval=99999\r\ngamer1=" +
                  std::string(300, 'a') +
                  "\r\ngamer2=../../x\r\n[Music]\r\nmusic=abc\r\n[Dictor]\r\nspeed=-5\r\n"}},
            {"ReadMe.txt", {ReadBytes(user / "ReadMe.txt"), ""}},
            {"start.txt", {white + "\r\ne4 g8\r\n1\r\n", "z9 a0 i1 `1 d44\r\ne4 e\r\n7\r\n"}},
            {"Games/lok1.rsg", {record, ""}},
            {"Games/lok2.rsg",
             {record, EncodeRecord("79" + BuildRecord(game).substr(2)) + "\r\n"}}};
        for (const auto& [name, contents] : files) {
            WriteBytes(user / name, name == target
                                        ? Damaged(row.damage, contents.first, contents.second)
                                        : contents.first);
        }
        const fs::path damaged = program / target;
        if (row.damage == Damage::Folder || row.damage == Damage::Missing || target == "Games") {
            fs::remove_all(damaged);
            if (target == "Games") {
                WriteBytes(damaged, "");
            } else if (row.damage == Damage::Folder) {
                fs::create_directories(damaged / "inside");
            }
        } else if (row.damage == Damage::Junk && fs::is_directory(damaged)) {
            for (const auto& entry :
                 fs::directory_iterator(damaged)) {  // a sound header, then junk
                WriteBytes(entry.path(),
                           ReadBytes(entry.path()).substr(0, 4) + Damaged(Damage::Junk, "", ""));
            }
        } else if (row.damage == Damage::ReadOnly) {
            const fs::path top = target == "user" ? user : program;
            for (const auto& entry : fs::recursive_directory_iterator(top)) {
                fs::permissions(entry.path(), kWrite, fs::perm_options::remove);
            }
            fs::permissions(top, kWrite, fs::perm_options::remove);
        }
        ::setenv("XDG_DATA_HOME", (temp / "home").c_str(), 1);
        const Folders folders =
            target == "user" ? Folders(program, user) : ChooseFolders(LookUpFolderFacts(program));
        MakeUserFolder(folders);
        return folders;
    });
    s.device.playable = [&judge](const fs::path& file) { return judge(file); };
    const auto before = Snapshot(s.folder.path());
    auto report = s.app->dialogs().observer;
    s.app->dialogs().observer = [&](const DialogRecord& record) {
        report(record);
        const bool question = record.caption == "Сообщение" || record.kind == "help";
        const bool save = record.caption == "Сохранить игру";
        if (record.answer == 0) {
            s.pressAll(s.now() + 1500, 1500,
                       {save       ? "End"
                        : question ? "Escape"
                                   : "Enter",
                        save ? "Enter" : "-"});
        }
    };
    const bool started = s.app->StartUp();
    ASSERT_EQ(started, row.outcome != Outcome::StartFails);
    if (started) {
        s.app->HandleReadMeStep(HandleReadMe(s.folders.user, "d"));
        s.app->ShowMenu(true);
        ASSERT_TRUE(s.app->menu().isVisible());
        bool helped = false, saved = false;
        for (const auto& keys :
             {std::vector<std::string>{"Home", "Down", "Down", "Down", "Enter"},
              std::vector<std::string>{"Home", "Enter", "Home", "Enter", "End", "Up", "Enter"}}) {
            for (const auto& key : keys) {
                s.sendKey(key);
                s.clock.advance(1500);
            }
            PlayOut(s, helped, saved);
        }
        s.sendKey("End");
        s.sendKey("Enter");
        s.clock.advance(3000);
        EXPECT_TRUE(Heard(s, row.outcome == Outcome::SaveFails ? "say savefail" : "say save"));
        EXPECT_TRUE(Heard(s, "say chao"));
        EXPECT_TRUE(Heard(s, "help [Помощь!] ", true) && !Heard(s, "help [Помощь!] "))
            << "no rules";
    } else {
        EXPECT_TRUE(Heard(s, "dialog [Error] Не найдены записи голоса", true));
        EXPECT_TRUE(Heard(s, "speak Не найдены записи голоса", true));
    }
    EXPECT_FALSE(s.device.isOpen()) << "the program did not end in order";
    for (std::size_t i = 0; (HasFailure() || std::getenv("DUMP")) && i < s.lines.size(); ++i) {
        std::printf("%s\n", s.lines[i].c_str());  // what the player heard, to see why
    }
    const auto after = Snapshot(s.folder.path());
    for (const auto& [path, bytes] : after) {
        EXPECT_NE(path.extension(), ".tmp") << path;
    }
    for (const auto& [path, bytes] : before) {
        const bool rewritable =
            (path.filename() == "Korvel.ini" || path.filename() == "ReadMe.txt") &&
            bytes != "<folder>" && path.parent_path() == s.folders.user;
        EXPECT_TRUE(after.count(path) != 0 && (rewritable || after.at(path) == bytes)) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFolders,
    ::testing::Values(Row{"settings_empty", "Korvel.ini", Damage::Empty},
                      Row{"settings_junk", "Korvel.ini", Damage::Junk},
                      Row{"settings_10mb", "Korvel.ini", Damage::Huge},
                      Row{"settings_utf8", "Korvel.ini", Damage::Utf8},
                      Row{"settings_lone_cr", "Korvel.ini", Damage::LoneCr},
                      Row{"settings_lone_lf", "Korvel.ini", Damage::LoneLf},
                      Row{"settings_out_of_range", "Korvel.ini", Damage::OutOfRange},
                      Row{"settings_folder", "Korvel.ini", Damage::Folder},
                      Row{"readme_empty", "ReadMe.txt", Damage::Empty},
                      Row{"readme_junk", "ReadMe.txt", Damage::Junk},
                      Row{"readme_10mb", "ReadMe.txt", Damage::Huge},
                      Row{"readme_utf8", "ReadMe.txt", Damage::Utf8},
                      Row{"readme_lone_cr", "ReadMe.txt", Damage::LoneCr},
                      Row{"readme_folder", "ReadMe.txt", Damage::Folder},
                      Row{"start_empty", "start.txt", Damage::Empty},
                      Row{"start_junk", "start.txt", Damage::Junk},
                      Row{"start_10mb", "start.txt", Damage::Huge},
                      Row{"start_utf8", "start.txt", Damage::Utf8},
                      Row{"start_lone_lf", "start.txt", Damage::LoneLf},
                      Row{"start_out_of_range", "start.txt", Damage::OutOfRange},
                      Row{"start_folder", "start.txt", Damage::Folder},
                      Row{"saved_empty", "Games/lok2.rsg", Damage::Empty},
                      Row{"saved_junk", "Games/lok2.rsg", Damage::Junk},
                      Row{"saved_10mb", "Games/lok2.rsg", Damage::Huge},
                      Row{"saved_utf8", "Games/lok2.rsg", Damage::Utf8},
                      Row{"saved_lone_cr", "Games/lok2.rsg", Damage::LoneCr},
                      Row{"saved_out_of_range", "Games/lok2.rsg", Damage::OutOfRange},
                      Row{"saved_folder", "Games/lok2.rsg", Damage::Folder},
                      Row{"games_folder_is_a_file", "Games", Damage::Empty, Outcome::SaveFails},
                      Row{"program_folder_read_only", ".", Damage::ReadOnly},
                      Row{"user_folder_read_only", "user", Damage::ReadOnly, Outcome::SaveFails},
                      Row{"speaks_missing", "Speaks", Damage::Missing, Outcome::StartFails},
                      Row{"speaks_junk", "Speaks", Damage::Junk, Outcome::StartFails},
                      Row{"sounds_missing", "Sounds", Damage::Missing},
                      Row{"sounds_junk", "Sounds", Damage::Junk},
                      Row{"musics_missing", "Musics", Damage::Missing},
                      Row{"musics_junk", "Musics", Damage::Junk}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
