#include "store/DatabaseLock.h"

#include <chrono>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <QFile>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace mendor {

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(20);

struct OpenFile {
    int holders = 0;
    int exclusiveHolders = 0;
    std::vector<int> idleDescriptors;
};

// Every lock of this process by file (device, inode).
class LockRegistry {
public:
    std::mutex mutex;
    std::map<std::pair<dev_t, ino_t>, OpenFile> files;

    // Called with the mutex held: closes fd now, or keeps it idle while other locks of this
    // process are on the same file.
    void retire(const std::pair<dev_t, ino_t>& id, int fd) {
        auto found = files.find(id);
        if (found == files.end() || found->second.holders == 0) {
            ::close(fd);
            if (found != files.end()) {
                for (int idle : found->second.idleDescriptors)
                    ::close(idle);
                files.erase(found);
            }
            return;
        }
        found->second.idleDescriptors.push_back(fd);
    }
};

LockRegistry& registry() {
    static LockRegistry instance;
    return instance;
}

} // namespace

DatabaseLock::~DatabaseLock() {
    release();
}

DatabaseLock::DatabaseLock(DatabaseLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), device_(other.device_), inode_(other.inode_), mode_(other.mode_),
      ridesOnExclusive_(other.ridesOnExclusive_) {}

DatabaseLock& DatabaseLock::operator=(DatabaseLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        device_ = other.device_;
        inode_ = other.inode_;
        mode_ = other.mode_;
        ridesOnExclusive_ = other.ridesOnExclusive_;
    }
    return *this;
}

DatabaseLock::Attempt DatabaseLock::attempt(const QString& path, Mode mode, DatabaseLock& result) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Attempt::Unopenable;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return Attempt::Unopenable;
    }
    const std::pair<dev_t, ino_t> id{info.st_dev, info.st_ino};

    LockRegistry& locks = registry();
    const std::lock_guard guard(locks.mutex);
    OpenFile& file = locks.files[id];
    const bool ride = mode == Mode::Shared && file.exclusiveHolders > 0;
    if (!ride && ::flock(fd, (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        locks.retire(id, fd);
        return Attempt::Busy;
    }
    ++file.holders;
    if (mode == Mode::Exclusive)
        ++file.exclusiveHolders;
    result.release();
    result.fd_ = fd;
    result.device_ = id.first;
    result.inode_ = id.second;
    result.mode_ = mode;
    result.ridesOnExclusive_ = ride;
    return Attempt::Locked;
}

std::optional<DatabaseLock> DatabaseLock::tryAcquire(const QString& path, Mode mode) {
    DatabaseLock lock;
    if (attempt(path, mode, lock) != Attempt::Locked)
        return std::nullopt;
    return lock;
}

std::optional<DatabaseLock> DatabaseLock::acquireShared(const QString& path, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    DatabaseLock lock;
    for (;;) {
        const Attempt outcome = attempt(path, Mode::Shared, lock);
        if (outcome == Attempt::Locked)
            return lock;
        if (outcome == Attempt::Unopenable || std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(kRetryInterval);
    }
}

bool DatabaseLock::isOn(const QString& path) const {
    struct stat info {};
    return fd_ >= 0 && ::stat(QFile::encodeName(path).constData(), &info) == 0 && info.st_dev == device_ &&
           info.st_ino == inode_;
}

void DatabaseLock::release() noexcept {
    if (fd_ < 0)
        return;
    const std::pair<dev_t, ino_t> id{device_, inode_};
    LockRegistry& locks = registry();
    const std::lock_guard guard(locks.mutex);
    if (!ridesOnExclusive_)
        ::flock(fd_, LOCK_UN);
    OpenFile& file = locks.files[id];
    --file.holders;
    if (mode_ == Mode::Exclusive)
        --file.exclusiveHolders;
    locks.retire(id, std::exchange(fd_, -1));
}

} // namespace mendor
