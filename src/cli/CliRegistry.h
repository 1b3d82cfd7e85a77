#pragma once
// The table of registered commands, for main() and the usage texts.
#include "cli/CliCommand.h"

#include <map>
#include <QString>

namespace mendor::cli {

struct CliCommandInfo {
    QString usage;
    CliHandler handler = nullptr;
};

std::map<QString, CliCommandInfo>& registry();

} // namespace mendor::cli
