#include "ProgramFolders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace korvel {

Folders ChooseFolders(const FolderFacts& facts) {
    const bool installed = !facts.programHasData && facts.installedHasData;
    if (!installed && facts.programWritable) {
        return Folders(facts.programFolder);
    }
    const std::filesystem::path data =
        installed ? (facts.programFolder / kInstalledDataRelative).lexically_normal()
                  : facts.programFolder;
    const std::filesystem::path xdg = facts.xdgDataHome;
    if (xdg.is_absolute()) {
        return Folders(data, xdg / "korvel");
    }
    if (!facts.home.empty()) {
        return Folders(data, std::filesystem::path(facts.home) / ".local" / "share" / "korvel");
    }
    Folders folders(data, facts.tempFolder / "korvel");
    folders.userInSharedFolder = true;
    return folders;
}

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

FolderFacts LookUpFolderFacts(const std::filesystem::path& programFolder) {
    FolderFacts facts;
    facts.programFolder = programFolder;
    std::error_code ec;
    facts.programHasData = std::filesystem::is_directory(programFolder / "Speaks", ec);
    facts.installedHasData =
        std::filesystem::is_directory(programFolder / kInstalledDataRelative / "Speaks", ec);
    // The rights this process writes with (its effective ones), not those of
    // its real user: a root whose rights have been narrowed is refused too.
    facts.programWritable = ::faccessat(AT_FDCWD, programFolder.c_str(), W_OK, AT_EACCESS) == 0;
    facts.xdgDataHome = Environment("XDG_DATA_HOME");
    facts.home = Environment("HOME");
    if (facts.home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
            facts.home = entry->pw_dir;
        }
    }
    facts.tempFolder = std::filesystem::temp_directory_path(ec);
    if (ec) {
        facts.tempFolder = "/tmp";
    }
    return facts;
}

UserFolderState MakeUserFolder(const Folders& folders) {
    if (folders.userInSharedFolder) {
        // Made by this process or found: it is used only when it is our own.
        ::mkdir(folders.user.c_str(), 0700);
        struct stat st {};
        if (::lstat(folders.user.c_str(), &st) != 0) {
            return UserFolderState::NotMade;
        }
        const bool own = S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
        return own ? UserFolderState::Ready : UserFolderState::NotPrivate;
    }
    std::error_code ec;
    std::filesystem::create_directories(folders.user, ec);
    return std::filesystem::is_directory(folders.user, ec) ? UserFolderState::Ready
                                                           : UserFolderState::NotMade;
}

}  // namespace korvel
