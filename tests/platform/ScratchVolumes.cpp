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
        if (!run("fusermount -u " + point))
            run("umount -l " + point);
    }
    // "umount -d" also detaches the loop device that "mount -o loop" set up.
    for (auto it = kernelMounts_.crbegin(); it != kernelMounts_.crend(); ++it) {
        if (!run("umount -d " + *it))
            run("umount -l " + *it);
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

bool ScratchVolumes::havePrograms(const QStringList& programs) {
    for (const QString& program : programs) {
        if (QStandardPaths::findExecutable(program).isEmpty() &&
            QStandardPaths::findExecutable(program, {"/sbin", "/usr/sbin"}).isEmpty())
            return false;
    }
    return true;
}

bool ScratchVolumes::run(const QString& line, QByteArray* output) {
    QStringList words = line.split(QLatin1Char(' '));
    const QString program = words.takeFirst();
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", env.value("PATH") + ":/sbin:/usr/sbin");
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(output ? QProcess::SeparateChannels : QProcess::MergedChannels);
    process.start(program, words);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString ScratchVolumes::mount(const QString& name, QString line, QStringList& mounts) {
    const QString point = path(name);
    QDir().mkpath(point);
    if (!run(line.replace("@MOUNT@", point)))
        return {};
    mounts.append(point);
    return point;
}

QString ScratchVolumes::mountTmpfs(const QString& name, const QString& size) {
    return mount(name, "mount -t tmpfs -o size=" + size + " scratch @MOUNT@", kernelMounts_);
}

QString ScratchVolumes::mountLoop(const QString& name, const QString& image) {
    return mount(name, "mount -o loop " + image + " @MOUNT@", kernelMounts_);
}

QString ScratchVolumes::mountFuse(const QString& name, const QString& line) {
    return mount(name, line, fuseMounts_);
}

} // namespace mendor::test
