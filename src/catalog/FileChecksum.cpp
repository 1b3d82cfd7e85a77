#include "catalog/FileChecksum.h"

#include "platform/MediumFile.h"
#include "shell/Flags.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace mendor {

struct ChecksumReader::State {
    State() : xxh(XXH3_createState()) {
        if (!xxh)
            throw std::bad_alloc();
    }
    ~State() { XXH3_freeState(xxh); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    XXH3_state_t* xxh;
};

QString ChecksumText(const Checksum& checksum) {
    return QString::fromLatin1(ChecksumBytes(checksum).toHex());
}

QByteArray ChecksumBytes(const Checksum& checksum) {
    return QByteArray(reinterpret_cast<const char*>(checksum.data()), qsizetype(checksum.size()));
}

bool ChecksumFromBytes(const QByteArray& bytes, Checksum& checksum) {
    if (bytes.size() != qsizetype(checksum.size()))
        return false;
    std::memcpy(checksum.data(), bytes.constData(), checksum.size());
    return true;
}

ChecksumReader::ChecksumReader(std::atomic<std::uint64_t>* bytesRead, std::function<bool()> stop)
    : bytesRead_(bytesRead), stop_(std::move(stop)), buffer_(new unsigned char[kBlockSize]),
      state_(std::make_unique<State>()) {}

ChecksumReader::~ChecksumReader() = default;

ChecksumOutcome ChecksumReader::checksumOf(int folderFd, const char* name, Checksum& checksum) {
    const FileDescriptor file = OpenRegularFileAt(folderFd, name);
    struct stat info {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0)
        return ChecksumOutcome::Unreadable;
    // The file is read from start to end once: the system may read ahead.
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return readAll(file.get(), std::int64_t(info.st_size), checksum);
}

ChecksumOutcome ChecksumReader::readAll(int fd, std::int64_t expectedSize, Checksum& checksum) {
    XXH3_128bits_reset(state_->xxh);
    std::int64_t total = 0;
    for (;;) {
        if (isAbortRequested() || (stop_ && stop_()))
            return ChecksumOutcome::Stopped;
        const ssize_t got = ::read(fd, buffer_.get(), kBlockSize);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return ChecksumOutcome::Unreadable;
        }
        if (got == 0)
            break;
        total += got;
        // A file that grows while it is read has no checksum of the size it was listed with;
        // stopping here also bounds what an endless file on a strange file system can cost.
        if (total > expectedSize)
            return ChecksumOutcome::Unreadable;
        XXH3_128bits_update(state_->xxh, buffer_.get(), std::size_t(got));
        if (bytesRead_)
            bytesRead_->fetch_add(std::uint64_t(got), std::memory_order_relaxed);
    }
    if (total != expectedSize)
        return ChecksumOutcome::Unreadable;
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state_->xxh));
    static_assert(sizeof canonical.digest == std::tuple_size_v<Checksum>);
    std::memcpy(checksum.data(), canonical.digest, checksum.size());
    return ChecksumOutcome::Computed;
}

} // namespace mendor
