#include "ScratchVolumes.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <unistd.h>

namespace mendor::test {

ScratchVolumes::ScratchVolumes() : dir_(QDir::tempPath() + "/mendor-volumes.XXXXXX") {}

ScratchVolumes::~ScratchVolumes() {
    for (const QString& point : fuseMounts_) {
        if (!run("fusermount", {"-u", point}))
            run("umount", {"-l", point});
    }
    // "umount -d" also detaches the loop device that "mount -o loop" set up.
    for (auto it = kernelMounts_.crbegin(); it != kernelMounts_.crend(); ++it) {
        if (!run("umount", {"-d", *it}))
            run("umount", {"-l", *it});
    }
}

QString ScratchVolumes::unavailableReason() {
    if (::geteuid() != 0)
        return "mounting test volumes needs root";
    if (!QFileInfo::exists("/dev/fuse"))
        return "no /dev/fuse";
    if (!QFileInfo::exists("/dev/loop-control"))
        return "no loop devices";
    return {};
}

bool ScratchVolumes::haveProgram(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty() ||
           !QStandardPaths::findExecutable(program, {"/sbin", "/usr/sbin"}).isEmpty();
}

bool ScratchVolumes::run(const QString& program, const QStringList& arguments, QByteArray* output,
                         const QStringList& environment) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", env.value("PATH") + ":/sbin:/usr/sbin");
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
    if (!run("mount", {"-t", "tmpfs", "-o", "size=" + size, "scratch", point}))
        return {};
    kernelMounts_.append(point);
    return point;
}

QString ScratchVolumes::mountLoop(const QString& name, const QString& image, const QString& options) {
    const QString point = makeMountPoint(name);
    QString all = "loop";
    if (!options.isEmpty())
        all += QLatin1Char(',') + options;
    if (!run("mount", {"-o", all, image, point}))
        return {};
    kernelMounts_.append(point);
    return point;
}

QString ScratchVolumes::mountFuse(const QString& name, const QString& program, const QStringList& arguments) {
    const QString point = makeMountPoint(name);
    QStringList withPoint = arguments;
    withPoint.replaceInStrings("@MOUNT@", point);
    if (!run(program, withPoint))
        return {};
    fuseMounts_.append(point);
    return point;
}

} // namespace mendor::test
