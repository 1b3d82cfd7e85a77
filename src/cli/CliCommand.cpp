#include "cli/CliCommand.h"

#include "cli/CliRegistry.h"

#include <cstdio>

namespace mendor::cli {

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

std::map<QString, CliCommandInfo>& registry() {
    static std::map<QString, CliCommandInfo> commands;
    return commands;
}

CliCommandRegistrar::CliCommandRegistrar(const char* name, const char* usage, CliHandler handler) {
    registry()[QString::fromLatin1(name)] = CliCommandInfo{QString::fromLatin1(usage), handler};
}

int fail(const QString& message) {
    err() << message << Qt::endl;
    return 1;
}

int usageError(const char* name) {
    const auto found = registry().find(QString::fromLatin1(name));
    err() << "usage: mendor-cli [--home DIR] " << name;
    if (found != registry().end() && !found->second.usage.isEmpty())
        err() << ' ' << found->second.usage;
    err() << Qt::endl;
    return 2;
}

} // namespace mendor::cli
