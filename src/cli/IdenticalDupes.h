#pragma once
// mendor-cli dupes --identical: files with the same content across databases.
class QCommandLineParser;

namespace mendor::cli {

/// The dupes command's handler when --identical is given.
int RunIdenticalDupes(const QCommandLineParser& parsed);

} // namespace mendor::cli
