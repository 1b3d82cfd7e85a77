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

    /// Runs a program; true when it exits with 0. Output goes to output when given.
    static bool run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
                    const QStringList& environment = {});
    static bool haveProgram(const QString& program);

    QString path(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }

    /// Each returns the mount point, or the empty text when the volume could not be made.
    QString mountTmpfs(const QString& name, const QString& size);
    QString mountLoop(const QString& name, const QString& image, const QString& options = {});
    /// A FUSE mount of an image whose mountinfo source is the image and type "fuse.<subtype>".
    QString mountFuse(const QString& name, const QString& program, const QStringList& arguments);

private:
    QString makeMountPoint(const QString& name);

    QTemporaryDir dir_;
    QStringList kernelMounts_;
    QStringList fuseMounts_;
};

} // namespace mendor::test
