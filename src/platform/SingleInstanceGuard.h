#pragma once

#include <QString>

namespace korvel {

// Keeps a second copy of the program from running beside the first: an
// advisory lock (flock) on a per-user file in a folder only this user can
// write in: the runtime folder, else the user's cache folder. The system drops
// the lock when the process ends, however it ends, so whatever a crashed copy
// left behind never blocks the next start.
class SingleInstanceGuard {
  public:
    enum class Result {
        Acquired,        // this process is the one copy
        AlreadyRunning,  // another copy holds the lock
        Unavailable,     // no safe lock can be made (no private folder, or what lies
                         // at its name is not this user's own file): the guard cannot work
    };

    // `lockPath`: the lock file; by default one per user (see defaultLockPath).
    explicit SingleInstanceGuard(QString lockPath = defaultLockPath());
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    Result tryAcquire();
    void release();

    // The lock in the first private folder of: $XDG_RUNTIME_DIR,
    // $XDG_CACHE_HOME, ~/.cache (made 0700 when missing). Empty when there is none.
    static QString defaultLockPath();

  private:
    QString m_path;
    int m_fd = -1;
};

}  // namespace korvel
