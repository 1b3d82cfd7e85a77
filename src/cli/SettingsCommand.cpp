// mendor-cli settings: the "Options" values in effect, after the data-folder rule.
#include "cli/CliCommand.h"
#include "shell/Options.h"

namespace mendor::cli {

namespace {

int runSettings(const QStringList& arguments) {
    if (!arguments.isEmpty())
        return usageError("settings");
    const auto line = [](const char* key, const auto& value) { out() << key << '=' << value << '\n'; };
    line("oStartupMode", oStartupMode);
    line("oSaveWindows", oSaveWindows);
    line("oClearDesc", oClearDesc);
    line("oEject", oEject);
    line("oSearchFolders", oSearchFolders);
    line("oSearchFiles", oSearchFiles);
    line("oZIPasFolder", oZIPasFolder);
    line("oDefaultDrive", oDefaultDrive);
    line("gDataPath", gDataPath);
    line("oCheckDesc", oCheckDesc);
    line("oUseAppPath", oUseAppPath);
    return 0;
}

const CliCommandRegistrar registrar("settings", "", runSettings);

} // namespace

} // namespace mendor::cli
