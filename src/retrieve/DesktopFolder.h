#pragma once
// The user's desktop folder, where a quick copy puts its items.
#include "shell/Prompter.h"

#include <optional>
#include <QString>

namespace mendor {

/// The desktop folder the desktop environment names (XDG_DESKTOP_DIR, else ~/Desktop), created
/// when it does not exist yet; nothing after telling the user that it cannot be created.
std::optional<QString> DesktopFolder(Prompter& prompter);

} // namespace mendor
