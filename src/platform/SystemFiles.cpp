// The operating system's side of the program's files: the atomic replacement
// of a file, and what the folder choice looks up and makes at start-up.
#include "platform/SystemFiles.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "core/SystemFiles.h"

namespace korvel {

namespace fs = std::filesystem;

// A system without the POSIX calls gets a plainer replacement from the
// standard library.
#if !defined(_WIN32)

namespace {

// Writes all of `bytes` to `fd`, through short writes and interrupted calls.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Commits a folder's entries (a rename into it) to the disk. A file system
// that cannot sync folders (EINVAL) has nothing more to do.
bool SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

}  // namespace

bool ReplaceFile(const fs::path& target, std::string_view bytes) {
    struct stat old {};
    const bool replacing = ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    if (replacing && (old.st_mode & 0222) == 0) {
        return false;  // made read-only on purpose: it stays as it is
    }
    // One temporary name per file: a write cut short leaves at most one stray
    // file beside it, which the next write removes. Whatever lies there (a
    // link planted by someone else) is removed, never written through, and the
    // new file is created exclusively: a name planted again meanwhile fails it.
    const fs::path temp = target.parent_path() / (target.filename().string() + ".tmp");
    if (::unlink(temp.c_str()) != 0 && errno != ENOENT) {
        return false;
    }
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          replacing ? 0600 : 0666);
    if (fd < 0) {
        return false;
    }
    // The new content is on the disk before it takes the old file's name, and
    // the name is on the disk before success is reported: after a power cut
    // the file is either the old one or the new one, whole.
    bool written = (!replacing || ::fchmod(fd, old.st_mode & 0777) == 0) && WriteAll(fd, bytes) &&
                   ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return SyncFolder(target.parent_path());
}

#else

bool ReplaceFile(const fs::path& target, std::string_view bytes) {
    std::error_code ec;
    const auto old = fs::symlink_status(target, ec);
    if (fs::is_regular_file(old) &&
        (old.permissions() & fs::perms::owner_write) == fs::perms::none) {
        return false;
    }
    const fs::path temp = target.parent_path() / (target.filename().string() + ".tmp");
    fs::remove(temp, ec);
    if (ec) {
        return false;
    }
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

#endif

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
