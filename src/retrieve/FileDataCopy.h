#pragma once
// Moving the bytes of one open file into another: in the kernel with copy_file_range where both
// file systems allow it, else with sendfile, else through a buffer.
#include <cstdint>
#include <functional>

namespace mendor {

struct FileDataCopy {
    enum class Result { Done, Failed, Cancelled };
    Result result = Result::Done;
    int error = 0;           ///< errno of a failure
    bool writeError = false; ///< the failure was the destination's (full disk, quota, ...)
    std::int64_t bytes = 0;
};

/// Copies from in's offset to its end into out, in chunks; after each chunk calls chunkDone with
/// its length and stops (Cancelled) when that returns false.
FileDataCopy CopyFileData(int in, int out, const std::function<bool(std::int64_t)>& chunkDone);

} // namespace mendor
