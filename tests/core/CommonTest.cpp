// The shared routines, the settings file, the code page, the folder rule and
// the texts: their cases are in data/common.txt (see CaseFile.h); what a case
// line cannot hold (a disk that fills up, the clock of a file) is tested here.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <array>
#include <chrono>
#include <csignal>
#include <ctime>
#include <optional>

#include "CaseFile.h"
#include "VirtualClock.h"
#include "core/CommonRoutines.h"
#include "core/IniFile.h"
#include "core/ProgramFolders.h"
#include "core/TextCodec.h"
#include "core/Texts.h"
#include "platform/SystemFiles.h"

namespace korvel {
namespace {

using namespace korvel::testing;

// What the case lines of data/common.txt give.
struct Cases {
    TempFolder dir;
    std::filesystem::path ini = dir / "Korvel.ini";
    std::optional<WithoutPermissionOverride> asAPlayer;
    VirtualClock clock;
    Stopwatch watch{clock};
    int listed = 0;

    std::string run(const std::string& c, const Args& a) {
        std::string out;  // the outcome for each argument, separated by spaces
        const auto each = [&](const std::function<std::string(const std::string&)>& f) {
            for (const auto& arg : a) {
                out += (out.empty() ? "" : " ") + f(arg);
            }
            return out;
        };
        if (c == "plural") {
            return each([](auto& n) { return std::to_string(PluralForm(std::stoi(n))); });
        } else if (c == "number") {
            return each([](auto& v) { return std::to_string(IniNumber(v)); });
        } else if (c == "swap") {  // "!": not its own inverse
            return each([](auto& t) {
                return Escape(SwapCodes(t)) + (SwapCodes(SwapCodes(t)) == t ? "" : "!");
            });
        } else if (c == "to-cp1251") {
            return each([](auto& t) { return Escape(Utf8ToCp1251(t)); });
        } else if (c == "code-page") {  // the bytes from a[0] to a[1]; "!": not back
            for (int byte = std::stoi(a[0]); byte <= std::stoi(a[1]); ++byte) {
                const std::string text = Cp1251ToUtf8(std::string(1, static_cast<char>(byte)));
                out += (out.empty() ? "" : " ") + Escape(text) +
                       (Utf8ToCp1251(text) == std::string(1, static_cast<char>(byte)) ? "" : "!");
            }
        } else if (c == "match") {
            return std::to_string(MatchesPattern(a[1], a[0]));
        } else if (c == "list") {  // files ("x/": a folder) in a new folder, by pattern a[0]
            const auto folder = dir / std::to_string(++listed);
            for (std::size_t i = 1; i < a.size(); ++i) {
                std::filesystem::create_directories(folder / (a[i].ends_with('/') ? a[i] : ""));
                if (!a[i].ends_with('/')) {
                    WriteBytes(folder / a[i], "x");
                }
            }
            for (const auto& name : ListFiles(folder, a[0])) {
                out += name + " ";
            }
        } else if (c == "read-text") {  // at most 16 bytes; without bytes, of a folder
            WriteBytes(dir / "t.txt", a.empty() ? "" : a[0]);
            return Escape(ReadTextFile(a.empty() ? dir.path() : dir / "t.txt", 16));
        } else if (c == "write-text") {
            const bool written = WriteTextFile(dir / "w.txt", a[0]);
            return (written ? "" : "refused ") + Escape(ReadBytes(dir / "w.txt"));
        } else if (c == "read-lines") {  // into three lines; "none": a missing file
            std::vector<std::string> lines(3, "junk");
            WriteBytes(dir / "l.txt", a[0]);
            ReadTextLines(a[0] == "none" ? dir / "none.txt" : dir / "l.txt", lines, 16);
            for (const auto& line : lines) {
                out += Escape(line) + " ";
            }
        } else if (c == "ini" || c == "ini-folder") {  // the settings file; without bytes, none
            std::filesystem::remove_all(ini);
            if (c == "ini-folder") {
                std::filesystem::create_directory(ini);
            } else if (!a.empty()) {
                WriteBytes(ini, a[0]);
            }
        } else if (c == "ini-size") {  // a key, then comment lines up to a[0] bytes
            std::string bytes = "[A]\r\nk=1\r\n";
            bytes.resize(std::stoul(a[0]), ';');
            std::filesystem::remove_all(ini);
            WriteBytes(ini, bytes);
        } else if (c == "put") {  // a file of the test folder
            std::filesystem::create_directories((dir / a[0]).parent_path());
            WriteBytes(dir / a[0], a.size() > 1 ? a[1] : "");
        } else if (c == "plant") {  // a link to a[1] at a[0]
            std::filesystem::create_symlink(a[1], dir / a[0]);
        } else if (c == "chmod") {
            chmod((dir / a[0]).c_str(), static_cast<mode_t>(std::stoul(a[1], nullptr, 8)));
        } else if (c == "look") {  // what lies at each name: none, a link, or mode:bytes
            return each([&](auto& name) -> std::string {
                const auto path = dir / name;
                struct stat st {};
                if (lstat(path.c_str(), &st) != 0) {
                    return "none";
                }
                char mode[8];
                std::snprintf(mode, sizeof mode, "%03o", st.st_mode & 0777);
                return S_ISLNK(st.st_mode) ? "link:" + std::filesystem::read_symlink(path).string()
                       : S_ISDIR(st.st_mode) ? mode + std::string(":folder")
                                             : mode + (":" + Escape(ReadBytes(path)));
            });
        } else if (c == "defaults") {
            Settings(ini).CreateIni();
            return Escape(ReadBytes(ini));
        } else if (c == "get") {
            return Escape(GetIni(ini, a[0], a[1]));
        } else if (c == "set") {
            const bool written = WriteIni(ini, a[0], a[1], a[2]);
            const std::string bytes = std::filesystem::is_regular_file(ini) ? ReadBytes(ini) : "";
            return (written ? "" : "refused ") +
                   (bytes.size() > 1000 ? std::to_string(bytes.size()) + " bytes" : Escape(bytes));
        } else if (c == "lock" || c == "unlock") {  // the folder read-only, as for a player
            asAPlayer.reset();
            if (c == "lock") {
                asAPlayer.emplace();
            }
            chmod(dir.path().c_str(), c == "lock" ? 0555 : 0755);
        } else if (c == "folders") {
            const Folders f =
                ChooseFolders({a[0], a[1] == "1", a[2] == "1", a[3] == "1", a[4], a[5], "/tmp"});
            return f.data.string() + " " + f.user.string() +
                   (f.userInSharedFolder ? " (own only)" : "");
        } else if (c == "user-folder") {  // the user folder a[0], in a shared folder
            Folders folders(dir.path(), dir / a[0]);
            folders.userInSharedFolder = true;
            return std::array{"ready", "not-made",
                              "not-private"}[static_cast<int>(MakeUserFolder(folders))];
        } else if (c == "readme") {
            return each([](auto& t) { return std::to_string(ReadMeIsCurrent(t)); });
        } else if (c == "stopwatch") {  // moves the clock on by each number of ms and reads
            return each([&](auto& ms) {
                clock.advance(ms == "mark" ? 0 : std::stoll(ms));
                return ms == "mark"
                           ? std::to_string(watch.read(0))
                           : std::to_string(watch.read(1)) + ":" + std::to_string(watch.read(2)) +
                                 ":" + std::to_string(watch.read(3)) + "(" +
                                 std::to_string(watch.read(4) + watch.read(-1)) + ")";
            });
        } else {
            ADD_FAILURE() << "no such case command: " << c;  // a misspelt case never passes
            return "unknown command";
        }
        return out;
    }
};

TEST(Common, CasesAsWritten) {
    const mode_t mask = umask(022);  // the permission bits of new files, as the cases show them
    Cases cases;
    RunCaseFile("common", [&](auto& command, auto& args) { return cases.run(command, args); });
    umask(mask);
}

// Day first, then month: a day past the twelfth shows a swap.
TEST(Common, FileDateIsDayMonthYearLocalTime) {
    TempFolder dir;
    EXPECT_EQ(FileDateText(dir / "none"), "");
    WriteBytes(dir / "f", "x");
    std::tm local{};
    strptime("2026-03-25 14:05:06", "%Y-%m-%d %H:%M:%S", &local);
    local.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
    std::filesystem::last_write_time(dir / "f", std::chrono::file_clock::from_sys(when));
    EXPECT_EQ(FileDateText(dir / "f"), "25.03.2026 14:05:06");
}

// A disk that fills up half-way through the write, as a file size limit makes
// it: the old file stays whole and no temporary file is left behind.
TEST(Common, FailedWriteLeavesTheOldFileWhole) {
    TempFolder dir;
    ASSERT_TRUE(WriteTextFile(dir / "keep.txt", "old"));
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{4096, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteTextFile(dir / "keep.txt", std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(dir / "keep.txt"), "old\r\n");
    EXPECT_EQ(ListFiles(dir.path(), "*").size(), 1u);
}

}  // namespace
}  // namespace korvel
