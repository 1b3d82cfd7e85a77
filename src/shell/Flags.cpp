#include "shell/Flags.h"

namespace mendor {

std::atomic<std::int16_t> gBusy{kFlagClear};
std::atomic<std::int16_t> gAbort{kFlagClear};

} // namespace mendor
