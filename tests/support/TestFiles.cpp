#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <sys/mount.h>

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

SmallTmpfs::SmallTmpfs(const QString& folder) : folder_(QFile::encodeName(folder)) {
    mounted_ = ::mount("mendor-test", folder_.constData(), "tmpfs", 0, "size=64k") == 0;
}

SmallTmpfs::~SmallTmpfs() {
    if (mounted_)
        ::umount2(folder_.constData(), MNT_DETACH);
}

void SmallTmpfs::fill() const {
    QFile filler(QString::fromLocal8Bit(folder_) + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(4096, '\0');
    while (filler.write(block) > 0) {
    }
}

} // namespace mendor::test
