#pragma once
// Content checksums: the 128-bit XXH3 hash of a file's bytes, read in large blocks from a file
// opened relative to its folder. Only regular files are read; a symbolic link is never
// followed and a FIFO or device never opened. Nothing is mapped into memory: a medium that
// fails half-way through a file costs a read error, not the program.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <QByteArray>
#include <QString>

namespace mendor {

/// The hash in its canonical byte order (big-endian), as it is stored and as xxh128sum prints it.
using Checksum = std::array<unsigned char, 16>;

/// 32 lower-case hexadecimal digits.
QString ChecksumText(const Checksum& checksum);

/// The 16 stored bytes; ChecksumFromBytes is false for anything but 16 bytes.
QByteArray ChecksumBytes(const Checksum& checksum);
bool ChecksumFromBytes(const QByteArray& bytes, Checksum& checksum);

enum class ChecksumOutcome : std::uint8_t {
    Computed,
    Unreadable, ///< missing, not a regular file, a read error, or it changed size while read
    Stopped,    ///< gAbort (or the reader's own stop request) was seen between two blocks
};

/// Reads files for their checksums. One per thread: it owns the block buffer and the hash
/// state. Every block read is added to a shared byte counter, from which progress shows the
/// bytes read and the rate.
class ChecksumReader {
public:
    /// Bytes per read: large enough that the system calls cost nothing next to the hashing,
    /// small enough to stay in the processor's cache between the read and the hash.
    static constexpr std::size_t kBlockSize = 256 * 1024;

    /// bytesRead (optional) counts every byte read; stop (optional) is asked between blocks.
    explicit ChecksumReader(std::atomic<std::uint64_t>* bytesRead = nullptr, std::function<bool()> stop = {});
    ~ChecksumReader();
    ChecksumReader(const ChecksumReader&) = delete;
    ChecksumReader& operator=(const ChecksumReader&) = delete;

    /// The checksum of the entry name (its raw bytes, as the folder's listing gave them) of the
    /// folder open as folderFd.
    ChecksumOutcome checksumOf(int folderFd, const char* name, Checksum& checksum);

private:
    ChecksumOutcome readAll(int fd, std::int64_t expectedSize, Checksum& checksum);

    std::atomic<std::uint64_t>* bytesRead_;
    std::function<bool()> stop_;
    std::unique_ptr<unsigned char[]> buffer_;
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace mendor
