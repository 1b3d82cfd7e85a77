#pragma once
// Real volumes for tests: images built in a temporary folder and mounted (tmpfs, loop, FUSE),
// unmounted and detached again when the object goes, also after a failed test.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace mendor::test {

class ScratchVolumes {
public:
    ScratchVolumes();
    ~ScratchVolumes();
    ScratchVolumes(const ScratchVolumes&) = delete;
    ScratchVolumes& operator=(const ScratchVolumes&) = delete;

    /// Why volumes cannot be mounted here (not root, no FUSE, no loop devices); empty when they can.
    static QString unavailableReason();

    /// Runs a command line whose words hold no blanks; true when it exits with 0. Standard output
    /// goes to output when given.
    static bool run(const QString& line, QByteArray* output = nullptr);
    /// Whether every one of the programs is installed.
    static bool havePrograms(const QStringList& programs);

    QString path(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }

    /// Each mounts at a new folder name and returns it, or the empty text when the volume could
    /// not be made.
    QString mountTmpfs(const QString& name, const QString& size);
    QString mountLoop(const QString& name, const QString& image);
    /// A FUSE mount by a command line in which @MOUNT@ stands for the mount point.
    QString mountFuse(const QString& name, const QString& line);

private:
    QString mount(const QString& name, QString line, QStringList& mounts);

    QTemporaryDir dir_;
    QStringList kernelMounts_;
    QStringList fuseMounts_;
};

} // namespace mendor::test
