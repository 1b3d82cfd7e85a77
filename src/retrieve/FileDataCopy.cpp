#include "retrieve/FileDataCopy.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/sendfile.h>
#include <unistd.h>

namespace mendor {

namespace {

// Large enough that the kernel's copy runs at full speed, small enough that Cancel answers
// within a second even from a slow CD.
constexpr std::size_t kChunk = std::size_t(4) << 20;
constexpr std::size_t kBufferSize = std::size_t(1) << 20;

enum class Method { CopyFileRange, SendFile, ReadWrite };

/// The method does not work between these two files (another file system, a FUSE driver, an
/// old kernel): the next one is tried, from the offsets reached so far.
bool Unsupported(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

bool IsWriteError(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG || error == EROFS;
}

/// One chunk by read and write; the count written, 0 at the end, -1 with errno on failure
/// (writeFailed tells which side).
ssize_t ReadWriteChunk(int in, int out, char* buffer, bool& writeFailed) {
    ssize_t got;
    do {
        got = ::read(in, buffer, kBufferSize);
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return got;
    for (ssize_t written = 0; written < got;) {
        const ssize_t put = ::write(out, buffer + written, std::size_t(got - written));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            writeFailed = true;
            return -1;
        }
        written += put;
    }
    return got;
}

} // namespace

FileDataCopy CopyFileData(int in, int out, const std::function<bool(std::int64_t)>& chunkDone) {
    FileDataCopy copy;
    Method method = Method::CopyFileRange;
    std::unique_ptr<char[]> buffer;
    for (;;) {
        ssize_t moved = 0;
        bool writeFailed = false;
        switch (method) {
        case Method::CopyFileRange:
            moved = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            break;
        case Method::SendFile:
            moved = ::sendfile(out, in, nullptr, kChunk);
            break;
        case Method::ReadWrite:
            if (!buffer)
                buffer = std::make_unique<char[]>(kBufferSize);
            moved = ReadWriteChunk(in, out, buffer.get(), writeFailed);
            break;
        }
        if (moved < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            if (method != Method::ReadWrite && Unsupported(error)) {
                method = method == Method::CopyFileRange ? Method::SendFile : Method::ReadWrite;
                continue;
            }
            copy.result = FileDataCopy::Result::Failed;
            copy.error = error;
            copy.writeError = writeFailed || IsWriteError(error);
            return copy;
        }
        if (moved == 0)
            return copy;
        copy.bytes += moved;
        // Start writing the chunk out now, so the flush before the rename finds little left to do.
        ::sync_file_range(out, copy.bytes - moved, moved, SYNC_FILE_RANGE_WRITE);
        if (!chunkDone(moved)) {
            copy.result = FileDataCopy::Result::Cancelled;
            return copy;
        }
    }
}

} // namespace mendor
