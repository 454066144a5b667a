#include "platform/SingleInstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>

namespace korvel {

SingleInstanceGuard::SingleInstanceGuard(QString lockPath) : m_path(std::move(lockPath)) {}

SingleInstanceGuard::~SingleInstanceGuard() {
    release();
}

SingleInstanceGuard::Result SingleInstanceGuard::tryAcquire() {
    if (m_fd >= 0) {
        return Result::Acquired;
    }
    const QByteArray path = QFile::encodeName(m_path);
    // Whatever is in the file does not matter; only the lock on it does.
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        return Result::Unavailable;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        return Result::Acquired;
    }
    const int error = errno;
    ::close(m_fd);
    m_fd = -1;
    return error == EWOULDBLOCK ? Result::AlreadyRunning : Result::Unavailable;
}

void SingleInstanceGuard::release() {
    if (m_fd >= 0) {
        ::close(m_fd);  // drops the lock
        m_fd = -1;
    }
}

QString SingleInstanceGuard::defaultLockPath() {
    const QString name = QStringLiteral("korvel-%1.lock").arg(::getuid());
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QFile::decodeName(runtime)).isDir()) {
        return QDir(QFile::decodeName(runtime)).filePath(name);
    }
    return QDir(QDir::tempPath()).filePath(name);
}

}  // namespace korvel
