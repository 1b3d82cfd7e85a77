#include "support/WithoutPermissionOverride.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace mendor::test {

namespace {

// Capabilities are per thread; the raw system calls change the calling thread only, which is
// what a test wants (glibc has no wrapper, and libcap is not a dependency of the project).
bool capabilities(bool write, __user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(write ? SYS_capset : SYS_capget, &header, data) == 0;
}

constexpr std::uint32_t kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

} // namespace

WithoutPermissionOverride::WithoutPermissionOverride() {
    __user_cap_data_struct data[2] = {};
    if (!capabilities(false, data) || (data[0].effective & kOverrides) == 0)
        return;
    savedEffective_ = data[0].effective;
    data[0].effective &= ~kOverrides;
    dropped_ = capabilities(true, data);
}

WithoutPermissionOverride::~WithoutPermissionOverride() {
    __user_cap_data_struct data[2] = {};
    if (!dropped_ || !capabilities(false, data))
        return;
    data[0].effective = savedEffective_;
    capabilities(true, data);
}

} // namespace mendor::test
