// The shared routines, the settings file, the code page, the folder rule and
// the texts: their cases are in data/common.txt (see CaseFile.h).
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
        } else if (c == "list") {  // the files in the folder a[0] by the pattern a[1]
            for (const auto& name : ListFiles(dir / a[0], a[1])) {
                out += name + " ";
            }
        } else if (c == "read-text") {  // at most 16 bytes
            return Escape(ReadTextFile(dir / a[0], 16));
        } else if (c == "write-text") {
            const bool written = WriteTextFile(dir / a[0], a[1]);
            return (written ? "" : "refused ") + Escape(ReadBytes(dir / a[0]));
        } else if (c == "write-big") {  // a[1] bytes to a[0], files limited to 4096 bytes
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            const rlimit small{4096, limit.rlim_max};
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &small);
            const bool written = WriteTextFile(dir / a[0], std::string(std::stoul(a[1]), 'x'));
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, oldHandler);
            return (written ? "" : "refused ") + Escape(ReadBytes(dir / a[0]));
        } else if (c == "date") {  // of the file a[0] once its time is set to a[1], local time
            std::tm local{};
            strptime(a[1].c_str(), "%Y-%m-%d %H:%M:%S", &local);
            local.tm_isdst = -1;
            const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
            std::error_code missing;
            std::filesystem::last_write_time(dir / a[0], std::chrono::file_clock::from_sys(when),
                                             missing);
            return FileDateText(dir / a[0]);
        } else if (c == "read-lines") {  // into three lines
            std::vector<std::string> lines(3, "junk");
            ReadTextLines(dir / a[0], lines, 16);
            for (const auto& line : lines) {
                out += Escape(line) + " ";
            }
        } else if (c == "put") {  // what lies at a[0] goes; then a folder ("x/") or bytes a[1]
            const bool folder = a[0].ends_with('/');
            const auto at = dir / a[0].substr(0, a[0].size() - (folder ? 1 : 0));
            std::filesystem::remove_all(at);
            std::filesystem::create_directories(folder ? at : at.parent_path());
            if (a.size() > 1) {
                WriteBytes(at, a[1]);
            }
        } else if (c == "pad") {  // the file a[0] padded with ';' to a[1] bytes
            std::string bytes = ReadBytes(dir / a[0]);
            bytes.resize(std::stoul(a[1]), ';');
            WriteBytes(dir / a[0], bytes);
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

}  // namespace
}  // namespace korvel
