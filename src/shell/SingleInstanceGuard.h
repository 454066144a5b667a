#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace korvel {

// Keeps a second copy of the program from running beside the first. The
// guard is a lock file holding the owner's process id; a lock left behind by
// a copy that crashed is recognised as stale (its process is gone) and taken
// over, so it never blocks the next start.
class SingleInstanceGuard {
  public:
    // `lockPath`: the lock file; by default one per user in the temporary folder.
    explicit SingleInstanceGuard(const QString& lockPath = defaultLockPath());

    // True when this process now owns the guard; false when another running
    // copy holds it.
    bool tryAcquire();
    void release();

    static QString defaultLockPath();

  private:
    std::unique_ptr<QLockFile> m_lock;
};

// The platform message box a second copy shows before it ends.
void ShowAlreadyRunningMessage();

}  // namespace korvel
