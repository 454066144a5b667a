#pragma once

#include <QString>

namespace korvel {

// Keeps a second copy of the program from running beside the first: an
// advisory lock (flock) on a per-user file in the runtime folder, or in the
// temporary folder when there is none. The system drops the lock when the
// process ends, however it ends, so whatever a crashed copy left behind never
// blocks the next start.
class SingleInstanceGuard {
  public:
    enum class Result {
        Acquired,        // this process is the one copy
        AlreadyRunning,  // another copy holds the lock
        Unavailable,     // no lock can be made here: the guard cannot work
    };

    // `lockPath`: the lock file; by default one per user (see defaultLockPath).
    explicit SingleInstanceGuard(QString lockPath = defaultLockPath());
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    Result tryAcquire();
    void release();

    static QString defaultLockPath();

  private:
    QString m_path;
    int m_fd = -1;
};

}  // namespace korvel
