#pragma once
// The table of registered commands, by name.
#include "cli/CliCommand.h"

#include <map>

namespace mendor::cli {

const std::map<QString, CliCommand>& Commands();

/// The command called name; nullptr when there is none.
const CliCommand* FindCommand(const QString& name);

} // namespace mendor::cli
