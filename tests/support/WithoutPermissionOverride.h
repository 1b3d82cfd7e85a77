#pragma once
// Makes file permissions bind the calling thread (and the threads it starts) even when the tests
// run as root: the capabilities that override read and search permission are dropped from its
// effective set for the object's lifetime, so a folder with mode 0 really cannot be listed.
#include <cstdint>

namespace mendor::test {

class WithoutPermissionOverride {
public:
    WithoutPermissionOverride();
    ~WithoutPermissionOverride();
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

private:
    std::uint32_t savedEffective_ = 0;
    bool dropped_ = false;
};

} // namespace mendor::test
