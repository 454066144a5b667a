#include "SingleInstanceGuard.h"

#include <unistd.h>
#include <QDir>
#include <QMessageBox>

namespace korvel {

SingleInstanceGuard::SingleInstanceGuard(const QString& lockPath)
    : m_lock(std::make_unique<QLockFile>(lockPath)) {
    // Staleness is decided by whether the owning process still lives, not by age.
    m_lock->setStaleLockTime(0);
}

bool SingleInstanceGuard::tryAcquire() {
    if (m_lock->isLocked()) {
        return true;
    }
    // QLockFile takes over a lock whose owning process is gone.
    return m_lock->tryLock(0);
}

void SingleInstanceGuard::release() {
    if (m_lock->isLocked()) {
        m_lock->unlock();
    }
}

QString SingleInstanceGuard::defaultLockPath() {
    return QDir::temp().filePath(QStringLiteral("korvel-%1.lock").arg(::getuid()));
}

void ShowAlreadyRunningMessage() {
    QMessageBox::critical(nullptr, QStringLiteral("Ошибка пользователя!"),
                          QStringLiteral("Ты чо делаешь?\r\nИгра \"корвел\" уже запущена!"));
}

}  // namespace korvel
