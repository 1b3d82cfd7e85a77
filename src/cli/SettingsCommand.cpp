// mendor-cli settings: the "Options" values in effect, after the data-folder rule.
#include "cli/CliCommand.h"
#include "shell/Options.h"

#include <QCommandLineParser>

namespace mendor::cli {

namespace {

int RunSettings(const QCommandLineParser&) {
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
    line("oChecksums", oChecksums);
    line("oOtherArchives", oOtherArchives);
    return kExitDone;
}

const CliCommandRegistrar registrar({
    .name = "settings",
    .synopsis = "",
    .summary = "print the options in effect, one NAME=VALUE line each",
    .handler = RunSettings,
});

} // namespace

} // namespace mendor::cli
