#pragma once
// Process-wide state flags shared by every long operation.
//
// gBusy is -1 while a long operation runs and 0 otherwise; gAbort is set to -1 by an Abort
// button while gBusy is set, polled by the running operation and cleared when it ends.
// Readers treat any nonzero value as set. Both are atomic because the scan of a catalog run
// reads gAbort on a worker thread while the user interface sets it.
#include <atomic>
#include <cstdint>

namespace mendor {

inline constexpr std::int16_t kFlagSet = -1;
inline constexpr std::int16_t kFlagClear = 0;

extern std::atomic<std::int16_t> gBusy;
extern std::atomic<std::int16_t> gAbort;

inline bool isBusy() {
    return gBusy.load() != 0;
}
inline bool isAbortRequested() {
    return gAbort.load() != 0;
}

} // namespace mendor
