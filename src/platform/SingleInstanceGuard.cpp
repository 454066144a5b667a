#include "platform/SingleInstanceGuard.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <cerrno>

namespace korvel {
namespace {

// A folder only this user can write in: its own, and closed to everyone else's
// writes. A lock there cannot be planted or held by another user.
bool IsPrivateFolder(const QString& folder) {
    struct stat st {};
    return !folder.isEmpty() && QDir::isAbsolutePath(folder) &&
           ::stat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

QString Environment(const char* name) {
    return QFile::decodeName(qgetenv(name));
}

QString HomeFolder() {
    QString home = Environment("HOME");
    if (home.isEmpty()) {
        if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_dir) {
            home = QFile::decodeName(entry->pw_dir);
        }
    }
    return home;
}

}  // namespace

SingleInstanceGuard::SingleInstanceGuard(QString lockPath) : m_path(std::move(lockPath)) {}

SingleInstanceGuard::~SingleInstanceGuard() {
    release();
}

SingleInstanceGuard::Result SingleInstanceGuard::tryAcquire() {
    if (m_fd >= 0) {
        return Result::Acquired;
    }
    if (m_path.isEmpty()) {
        return Result::Unavailable;
    }
    const QByteArray path = QFile::encodeName(m_path);
    // Whatever is in the file does not matter; only the lock on it does. A link
    // at its name is not followed, and what is opened must be this user's own
    // regular file that no one else can open for writing: a lock another user
    // made cannot keep this one out, nor make it create files elsewhere.
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        return Result::Unavailable;
    }
    struct stat st {};
    const bool own = ::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                     st.st_nlink == 1 && (st.st_mode & 022) == 0;
    if (own && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        return Result::Acquired;
    }
    const int error = errno;
    ::close(m_fd);
    m_fd = -1;
    return own && error == EWOULDBLOCK ? Result::AlreadyRunning : Result::Unavailable;
}

void SingleInstanceGuard::release() {
    if (m_fd >= 0) {
        ::close(m_fd);  // drops the lock
        m_fd = -1;
    }
}

QString SingleInstanceGuard::defaultLockPath() {
    const QString name = QStringLiteral("korvel-%1.lock").arg(::geteuid());
    const QString runtime = Environment("XDG_RUNTIME_DIR");
    if (IsPrivateFolder(runtime)) {
        return QDir(runtime).filePath(name);
    }
    // Without a runtime folder (su, ssh, some display managers) the lock goes
    // to the user's cache folder, made private when it is missing; never to
    // the temporary folder, where anyone could make or hold it first.
    QString cache = Environment("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache)) {
        const QString home = HomeFolder();
        cache = home.isEmpty() ? QString() : QDir(home).filePath(QStringLiteral(".cache"));
    }
    if (!cache.isEmpty()) {
        ::mkdir(QFile::encodeName(cache).constData(), 0700);
    }
    return IsPrivateFolder(cache) ? QDir(cache).filePath(name) : QString();
}

}  // namespace korvel
