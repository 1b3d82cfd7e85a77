#include "platform/UDisksEjectService.h"

#include "platform/MountTable.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFile>
#include <QFileInfo>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace mendor {
namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString kFileSystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage Call(const QString& object, const QString& interface, const QString& method,
                  const QVariantList& arguments) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return QDBusMessage::createError(QDBusError::Disconnected, QString());
    QDBusMessage message = QDBusMessage::createMethodCall(kService, object, interface, method);
    message.setArguments(arguments);
    return bus.call(message);
}

bool Succeeded(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage;
}

/// A property value, or an invalid QVariant when the object or property is missing.
QVariant Property(const QString& object, const QString& interface, const QString& name) {
    const QDBusMessage reply = Call(object, kProperties, QStringLiteral("Get"), {interface, name});
    if (!Succeeded(reply) || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

QVariantList NoOptions() {
    return {QVariant::fromValue(QVariantMap())};
}

} // namespace

QString UDisksEjectService::blockObjectOf(const QString& device) {
    const QDBusMessage reply =
        Call(QStringLiteral("/org/freedesktop/UDisks2/Manager"),
             QStringLiteral("org.freedesktop.UDisks2.Manager"), QStringLiteral("ResolveDevice"),
             {QVariant::fromValue(QVariantMap{{QStringLiteral("path"), device}}),
              QVariant::fromValue(QVariantMap())});
    if (Succeeded(reply) && !reply.arguments().isEmpty()) {
        QList<QDBusObjectPath> objects;
        reply.arguments().first().value<QDBusArgument>() >> objects;
        if (!objects.isEmpty())
            return objects.first().path();
    }
    // Older services lack ResolveDevice; their block objects are named after the kernel name.
    const QString name = QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
    const QString object = QStringLiteral("/org/freedesktop/UDisks2/block_devices/") + name;
    return !name.isEmpty() && Property(object, kBlock, QStringLiteral("Device")).isValid() ? object
                                                                                           : QString();
}

QString UDisksEjectService::driveObjectOf(const QString& blockObject) {
    const QString drive =
        Property(blockObject, kBlock, QStringLiteral("Drive")).value<QDBusObjectPath>().path();
    return drive == QLatin1String("/") ? QString() : drive;
}

QStringList UDisksEjectService::mountedFileSystemsOf(const QString& driveObject) {
    const QDBusMessage reply = Call(QStringLiteral("/org/freedesktop/UDisks2/Manager"),
                                    QStringLiteral("org.freedesktop.UDisks2.Manager"),
                                    QStringLiteral("GetBlockDevices"), NoOptions());
    QStringList mounted;
    if (!Succeeded(reply) || reply.arguments().isEmpty())
        return mounted;
    QList<QDBusObjectPath> blocks;
    reply.arguments().first().value<QDBusArgument>() >> blocks;
    for (const QDBusObjectPath& block : std::as_const(blocks)) {
        if (driveObjectOf(block.path()) != driveObject)
            continue;
        const QVariant points = Property(block.path(), kFileSystem, QStringLiteral("MountPoints"));
        QList<QByteArray> list;
        if (points.canConvert<QDBusArgument>())
            points.value<QDBusArgument>() >> list;
        if (!list.isEmpty())
            mounted.append(block.path());
    }
    return mounted;
}

bool UDisksEjectService::unmount(const QString& blockObject) {
    return Succeeded(Call(blockObject, kFileSystem, QStringLiteral("Unmount"), NoOptions()));
}

bool UDisksEjectService::eject(const QString& driveObject) {
    return Succeeded(Call(driveObject, kDrive, QStringLiteral("Eject"), NoOptions()));
}

bool UDisksEjectService::powerOff(const QString& driveObject) {
    if (!Property(driveObject, kDrive, QStringLiteral("CanPowerOff")).toBool())
        return false;
    return Succeeded(Call(driveObject, kDrive, QStringLiteral("PowerOff"), NoOptions()));
}

bool UDisksEjectService::openTray(const QString& device) {
    // The kernel refuses while the disc is mounted; unmounting works for root or "user" mounts.
    for (const MountEntry& mount : ReadMountTable()) {
        if (mount.source == device)
            ::umount2(QFile::encodeName(mount.mountPoint).constData(), 0);
    }
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::ioctl(fd, CDROMEJECT) == 0;
    ::close(fd);
    return ok;
}

} // namespace mendor
