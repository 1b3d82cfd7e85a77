#include "catalog/VolumeIdentification.h"

#include "catalog/VolumeTypes.h"

#include <array>
#include <optional>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace mendor {

namespace {

const QString kIdentifyingStatus = QStringLiteral("Identifying volume...");
const QString kCannotWriteMarker = QStringLiteral("Can't catalog this volume.  Can't write marker file.");

const QString kPromptStart = QStringLiteral(
    "Mendor Pro normally uses the disk's unique, built-in serial number to identify it.  If that can't be "
    "retrieved, it will try to write a unique marker file onto the disk.  Neither can be done to this disk, "
    "so the last thing Mendor Pro can do is use the name of the disk.  The current name is below.  If it's "
    "not unique among your disks, change it to something else.  ");
const QString kReadOnlyPrompt =
    kPromptStart + QStringLiteral("Since it's a read-only disk, you likely won't catalog it "
                                  "again anyway.  If you do, you'll have to type the same "
                                  "name in again!");
const QString kMarkerPrompt =
    kPromptStart + QStringLiteral("If you do, you'll have to type the same name in again!");

constexpr std::int64_t kSecondsPerYear = 31'536'000;
constexpr std::array<int, 12> kMonthLengths{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

/// The pattern "0000" applied to a text: one that reads as a decimal number (digits, optionally
/// followed by an exponent letter E or D and digits) becomes that number with at least four
/// digits; any other text stays as it is.
QString PadIfNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^([0-9]+)(?:[ED]([0-9]+))?$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return text;
    QString digits = match.captured(1);
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (match.hasCaptured(2) && digits != QLatin1String("0"))
        digits.append(QString(match.captured(2).toInt(), QLatin1Char('0')));
    return digits.rightJustified(4, QLatin1Char('0'));
}

QString HexOf16(std::int32_t value) {
    return QString::number(static_cast<std::uint16_t>(value), 16).toUpper();
}

QString HalfText(std::int32_t value) {
    if (value > 32767 || value < -32768)
        return QLatin1Char('1') + HexOf16(value).rightJustified(4, QLatin1Char('0'));
    return PadIfNumber(HexOf16(value)).left(4);
}

/// The first line of the marker file; nullopt when it cannot be opened or read.
std::optional<QString> ReadMarkerLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray line;
    char c = 0;
    while (file.getChar(&c) && c != '\n' && c != '\r')
        line.append(c);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return QString::fromUtf8(line);
}

/// Replaces the marker file with one line; false when it cannot be created or written. The line
/// ends in CR LF so the medium reads the same wherever it is inserted.
bool WriteMarker(const QString& path, const QString& number) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray content = number.toUtf8() + "\r\n";
    const bool written = file.write(content) == content.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

QString MarkerIdentity(const QString& line) {
    QString identity = line.toLower();
    if (identity.endsWith(QLatin1String(".vol")))
        identity.chop(4);
    return identity;
}

/// A new marker number that does not name a catalogued volume yet.
QString UnusedMarkerNumber(const IdentityTaken& identityTaken) {
    QString number = NewMarkerNumber();
    while (identityTaken && identityTaken(number))
        number = QString::number(number.toLongLong() + 1);
    return number;
}

} // namespace

QString NewMarkerNumber(const QDateTime& localNow) {
    const QDate date = localNow.date();
    const QTime time = localNow.time();
    int monthDays = 0;
    for (int month = 0; month < date.month(); ++month)
        monthDays += kMonthLengths[static_cast<std::size_t>(month)];
    const std::int64_t number = (date.year() - 1996) * kSecondsPerYear +
                                std::int64_t{monthDays + date.day()} * 86'400 + time.hour() * 3'600 +
                                time.minute() * 60 + time.second();
    return QString::number(number);
}

QString SerialIdentity(std::uint32_t serial) {
    const auto signedSerial = static_cast<std::int32_t>(serial);
    std::int32_t upper = signedSerial / 65535;
    if (signedSerial < 0)
        upper -= 1;
    const auto lower = static_cast<std::int16_t>(serial & 0xFFFFu);
    return HalfText(upper) + HalfText(lower);
}

QString TypedIdentity(const QString& typed) {
    QString identity = QStringLiteral("1");
    for (const char32_t c : typed.toUcs4()) {
        const bool keep = (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
        identity.append(keep ? QChar(static_cast<char16_t>(c)) : QLatin1Char('1'));
    }
    identity.append(QLatin1Char('1'));
    return identity;
}

QString IdentifyVolume(const DriveMedium& medium, int volumeType, Prompter& prompter, ProgressSink& progress,
                       const IdentityTaken& identityTaken) {
    if (volumeType == kVolumeCdRom) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (const auto serial = medium.serialNumber())
                return SerialIdentity(*serial);
        }
        const auto typed = prompter.inputBox(kReadOnlyPrompt, kIdentifyTitle, medium.label());
        if (!typed || typed->isEmpty())
            return {};
        return TypedIdentity(*typed);
    }

    // Without a root folder there is nowhere to put the marker; a relative path would land in
    // the working folder instead.
    const QString root = medium.rootFolder();
    if (!root.isEmpty()) {
        const QString markerPath = QDir(root).filePath(kMarkerFileName);
        bool written = false;
        while (true) {
            progress.status(kIdentifyingStatus);
            progress.pause(0);
            const auto line = ReadMarkerLine(markerPath);
            if (line && !line->isEmpty())
                return MarkerIdentity(*line);
            // A marker that was just written but does not read back counts as not writable.
            if (written || !WriteMarker(markerPath, UnusedMarkerNumber(identityTaken)))
                break;
            medium.hideFile(markerPath);
            written = true;
        }
    }

    const auto typed = prompter.inputBox(kMarkerPrompt, kIdentifyTitle, medium.label());
    if (!typed || typed->isEmpty()) {
        prompter.message(kCannotWriteMarker);
        return {};
    }
    return TypedIdentity(*typed);
}

} // namespace mendor
