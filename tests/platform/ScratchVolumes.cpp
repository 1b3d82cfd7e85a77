#include "ScratchVolumes.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <unistd.h>

namespace mendor::test {

ScratchVolumes::ScratchVolumes() : dir_(QDir::tempPath() + QStringLiteral("/mendor-volumes.XXXXXX")) {}

ScratchVolumes::~ScratchVolumes() {
    for (const QString& point : fuseMounts_) {
        if (!run(QStringLiteral("fusermount"), {QStringLiteral("-u"), point}))
            run(QStringLiteral("umount"), {QStringLiteral("-l"), point});
    }
    // "umount -d" also detaches the loop device that "mount -o loop" set up.
    for (auto it = kernelMounts_.crbegin(); it != kernelMounts_.crend(); ++it) {
        if (!run(QStringLiteral("umount"), {QStringLiteral("-d"), *it}))
            run(QStringLiteral("umount"), {QStringLiteral("-l"), *it});
    }
}

QString ScratchVolumes::unavailableReason() {
    if (::geteuid() != 0)
        return QStringLiteral("mounting test volumes needs root");
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
        return QStringLiteral("no /dev/fuse");
    if (!QFileInfo::exists(QStringLiteral("/dev/loop-control")))
        return QStringLiteral("no loop devices");
    return {};
}

bool ScratchVolumes::haveProgram(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty() ||
           !QStandardPaths::findExecutable(program, {QStringLiteral("/sbin"), QStringLiteral("/usr/sbin")})
                .isEmpty();
}

bool ScratchVolumes::run(const QString& program, const QStringList& arguments, QByteArray* output,
                         const QStringList& environment) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"),
               env.value(QStringLiteral("PATH")) + QStringLiteral(":/sbin:/usr/sbin"));
    for (const QString& setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(output ? QProcess::SeparateChannels : QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString ScratchVolumes::makeMountPoint(const QString& name) {
    const QString point = path(name);
    QDir().mkpath(point);
    return point;
}

QString ScratchVolumes::mountTmpfs(const QString& name, const QString& size) {
    const QString point = makeMountPoint(name);
    if (!run(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                       QStringLiteral("size=") + size, QStringLiteral("scratch"), point}))
        return {};
    kernelMounts_.append(point);
    return point;
}

QString ScratchVolumes::mountLoop(const QString& name, const QString& image, const QString& options) {
    const QString point = makeMountPoint(name);
    QString all = QStringLiteral("loop");
    if (!options.isEmpty())
        all += QLatin1Char(',') + options;
    if (!run(QStringLiteral("mount"), {QStringLiteral("-o"), all, image, point}))
        return {};
    kernelMounts_.append(point);
    return point;
}

QString ScratchVolumes::mountFuse(const QString& name, const QString& program, const QStringList& arguments) {
    const QString point = makeMountPoint(name);
    QStringList withPoint = arguments;
    withPoint.replaceInStrings(QStringLiteral("@MOUNT@"), point);
    if (!run(program, withPoint))
        return {};
    fuseMounts_.append(point);
    return point;
}

} // namespace mendor::test
