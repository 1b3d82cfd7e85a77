#pragma once
// Sums of sizes that can never wrap: a volume may declare sizes (sparse files, archive members)
// whose total exceeds any signed 64-bit count, and a wrapped total would be negative.
#include <cstdint>
#include <limits>

namespace mendor {

/// a + b for byte counts (never negative), held at the largest value instead of wrapping.
inline std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::int64_t>::max() : sum;
}

} // namespace mendor
