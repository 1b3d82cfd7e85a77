#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>

namespace mendor::test {

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString CopyTemplate(const QString& path) {
    if (!QFile::copy(QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/template.qvt"), path))
        ADD_FAILURE() << "cannot copy the template to " << path.toStdString();
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

bool RunTool(const QString& workDir, const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    ADD_FAILURE() << program.toStdString() << " failed: " << process.readAll().toStdString()
                  << process.errorString().toStdString();
    return false;
}

CliResult RunCli(const QString& home, const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/mendor-cli"),
                  QStringList{QStringLiteral("--home"), home} + arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace mendor::test
