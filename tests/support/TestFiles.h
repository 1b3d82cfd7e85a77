#pragma once
// Small file helpers for tests: write and read whole files, copy the program's template database,
// and run the staged mendor-cli as a separate process.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace mendor::test {

/// Writes bytes to path, replacing it; a failure is a test failure.
void WriteBytes(const QString& path, const QByteArray& bytes);

/// The whole file, or nothing when it cannot be read.
QByteArray ReadBytes(const QString& path);

/// A writable copy of the staged template.qvt at path.
QString CopyTemplate(const QString& path);

/// Runs a program of the system (tar, 7z, xorriso ...) in workDir; a failure to start or a
/// nonzero exit is a test failure. True when it succeeded.
bool RunTool(const QString& workDir, const QString& program, const QStringList& arguments);

struct CliResult {
    int exitCode = -1; ///< -1 when it crashed or did not end
    QString out;
    QString err;
};

/// Runs mendor-cli with home as its --home folder (settings and data folder).
CliResult RunCli(const QString& home, const QStringList& arguments);

/// A tiny tmpfs mounted at an empty folder while it lives, where mounting is permitted (root).
/// fill() takes every free byte, so the next write there fails for lack of space.
class SmallTmpfs {
public:
    explicit SmallTmpfs(const QString& folder);
    ~SmallTmpfs();
    bool mounted() const { return mounted_; }
    void fill() const;

private:
    QByteArray folder_;
    bool mounted_ = false;
};

} // namespace mendor::test
