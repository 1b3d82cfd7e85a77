#include "catalog/VolumeIdentification.h"

#include "catalog/VolumeTypes.h"
#include "platform/MediumFile.h"

#include <algorithm>
#include <array>
#include <optional>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

namespace mendor {

namespace {

const QString kIdentifyingStatus = QStringLiteral("Identifying volume...");
const QString kCannotWriteMarker = QStringLiteral("Can't catalog this volume.  Can't write marker file.");
const QString kUnusableMarker = QStringLiteral(
    "The first line of the marker file Mendor.cat on this volume cannot name a volume: it must be a short "
    "line of text (at most %1 bytes) without \"_\" or control characters.  Correct or delete the file, then "
    "catalog the volume again.");

// Only this much of the marker is read: its one line is a number of about ten digits.
constexpr qsizetype kMarkerReadLimit = 255;

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

/// What the marker file says.
struct MarkerRead {
    enum class State {
        Missing,  ///< no regular file (or an unreadable one), or an empty first line
        Found,    ///< identity holds the marker's identity
        Unusable, ///< a first line that cannot name a volume
    };
    State state = State::Missing;
    QString identity;
};

MarkerRead ReadMarker(int rootFd) {
    MarkerRead result;
    const FileDescriptor file = OpenRegularFileAt(rootFd, kMarkerFileName);
    QByteArray prefix;
    bool complete = false;
    if (!file.isOpen() || !ReadAtMost(file.get(), kMarkerReadLimit, prefix, complete))
        return result;
    const auto lineBreak =
        std::find_if(prefix.cbegin(), prefix.cend(), [](char c) { return c == '\n' || c == '\r'; });
    if (lineBreak == prefix.cbegin())
        return result;
    // A first line that does not end within the bytes read is no marker this program wrote.
    const bool lineEnds = lineBreak != prefix.cend() || complete;
    const std::optional<QString> identity =
        lineEnds ? MarkerIdentity(prefix.left(lineBreak - prefix.cbegin())) : std::nullopt;
    result.state = identity ? MarkerRead::State::Found : MarkerRead::State::Unusable;
    if (identity)
        result.identity = *identity;
    return result;
}

/// A new marker number that does not name a catalogued volume yet.
QString UnusedMarkerNumber(const IdentityTaken& identityTaken) {
    QString number = NewMarkerNumber();
    while (identityTaken && identityTaken(number))
        number = QString::number(number.toLongLong() + 1);
    return number;
}

} // namespace

std::optional<QString> MarkerIdentity(const QByteArray& line) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString identity = utf8.decode(line);
    if (utf8.hasError() || identity.trimmed().isEmpty())
        return std::nullopt;
    for (const QChar c : identity) {
        if (c == QLatin1Char('_') || c.category() == QChar::Other_Control)
            return std::nullopt;
    }
    identity = identity.toLower();
    if (identity.endsWith(QLatin1String(".vol")))
        identity.chop(4);
    return identity;
}

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
    const FileDescriptor rootFd =
        root.isEmpty() ? FileDescriptor() : OpenLocalFolder(QFile::encodeName(root));
    bool written = false;
    while (rootFd.isOpen()) {
        progress.status(kIdentifyingStatus);
        progress.pause(0);
        const MarkerRead marker = ReadMarker(rootFd.get());
        if (marker.state == MarkerRead::State::Found)
            return marker.identity;
        // Replacing a marker the user may have written by hand would lose the catalog it names.
        if (marker.state == MarkerRead::State::Unusable) {
            prompter.message(kUnusableMarker.arg(kMarkerReadLimit));
            return {};
        }
        // A marker that was just written but does not read back counts as not writable.
        FileDescriptor file;
        const QByteArray line = UnusedMarkerNumber(identityTaken).toLatin1() + "\r\n";
        if (written || !ReplaceRegularFileAt(rootFd.get(), kMarkerFileName, line, file))
            break;
        medium.hideFile(file.get());
        written = true;
    }

    const auto typed = prompter.inputBox(kMarkerPrompt, kIdentifyTitle, medium.label());
    if (!typed || typed->isEmpty()) {
        prompter.message(kCannotWriteMarker);
        return {};
    }
    return TypedIdentity(*typed);
}

} // namespace mendor
