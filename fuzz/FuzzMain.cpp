// One libFuzzer target: MENDOR_FUZZ_TARGET names the function of FuzzTargets.h it drives.
#include "FuzzTargets.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!mendor::fuzz::MENDOR_FUZZ_TARGET(data, size))
        std::abort();
    return 0;
}
