#pragma once
// Sets gBusy for the life of a scope and clears it at the end, also when the scope is left early.
#include "shell/Flags.h"

namespace mendor {

class BusyScope {
public:
    BusyScope() { gBusy.store(kFlagSet); }
    ~BusyScope() { gBusy.store(kFlagClear); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

} // namespace mendor
