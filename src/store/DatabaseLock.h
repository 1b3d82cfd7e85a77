#pragma once
// Who else has a catalog database open.
//
// On Linux a file that another program has open can still be renamed or deleted, so "being used
// by someone else" is made visible with an advisory lock (flock) on the database file: every
// open Database holds a shared lock, and renaming, deleting or compacting a file first takes an
// exclusive lock without waiting, and refuses when anybody else holds one. Each lock is its own
// open file description, so two Databases of one process are two holders, like two programs.
//
// Connections that a maintenance step opens itself while it holds the exclusive lock (the
// repair and the copy of a compaction) ride on that lock instead of taking a shared one.
//
// Closing any descriptor of a file drops every POSIX record lock the process holds on it, and
// SQLite keeps its own locks as such records. A lock descriptor is therefore only closed when no
// other lock of this process is on the same file; until then it is unlocked and kept idle.
//
// flock locks are local to the machine on most network file systems; a database shared over
// NFS or SMB is protected only against other holders on the same machine.
#include <optional>
#include <QString>
#include <sys/types.h>

namespace mendor {

class DatabaseLock {
public:
    enum class Mode { Shared, Exclusive };

    DatabaseLock() = default;
    ~DatabaseLock();
    DatabaseLock(DatabaseLock&& other) noexcept;
    DatabaseLock& operator=(DatabaseLock&& other) noexcept;
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    /// One attempt, without waiting. std::nullopt when another holder is in the way or the file
    /// cannot be opened.
    static std::optional<DatabaseLock> tryAcquire(const QString& path, Mode mode);

    /// A shared lock, retried until timeoutMs have passed (a compaction elsewhere may hold the
    /// file for a moment). std::nullopt when it cannot be had.
    static std::optional<DatabaseLock> acquireShared(const QString& path, int timeoutMs);

    bool isHeld() const { return fd_ >= 0; }

    /// True when path still names the file this lock is on (not renamed or replaced since).
    bool isOn(const QString& path) const;

    void release() noexcept;

private:
    enum class Attempt { Locked, Busy, Unopenable };
    static Attempt attempt(const QString& path, Mode mode, DatabaseLock& result);

    int fd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    Mode mode_ = Mode::Shared;
    bool ridesOnExclusive_ = false;
};

} // namespace mendor
