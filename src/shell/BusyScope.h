#pragma once
// Sets gBusy for the life of a scope and puts back the value it had at the end, also when the
// scope is left early: clear after a lone operation, still set inside an outer one.
#include "shell/Flags.h"

namespace mendor {

class BusyScope {
public:
    BusyScope() : previous_(gBusy.exchange(kFlagSet)) {}
    ~BusyScope() { gBusy.store(previous_); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::int16_t previous_;
};

} // namespace mendor
