#include "shell/TextFormats.h"

#include "shell/StoredDate.h"

#include <algorithm>
#include <cstring>
#include <QHash>
#include <QMimeDatabase>
#include <QMutex>
#include <QMutexLocker>

namespace mendor {

namespace {

constexpr int kSizeWidth = 16;

// 1 January 1972 00:00:00 as stored seconds: access dates before it are not trusted.
constexpr std::int64_t kFirstTrustedAccess = 2 * 365 * 86400;

// The magnitude of a signed value without overflow for the smallest int64.
std::uint64_t magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// numerator / divisor rounded half away from zero, in exact integer arithmetic.
std::uint64_t roundedQuotient(std::uint64_t numerator, std::uint64_t divisor) {
    const std::uint64_t quotient = numerator / divisor;
    const std::uint64_t remainder = numerator % divisor;
    return remainder >= divisor - remainder ? quotient + 1 : quotient;
}

// "#,##0" of a magnitude: "," between groups of three whatever the locale.
QString groupedDigits(std::uint64_t value) {
    const QString digits = QString::number(value);
    QString grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += QLatin1Char(',');
        grouped += digits.at(i);
    }
    return grouped;
}

// Bytes added at the end by growing the array: QByteArray::append is an insert, several times
// slower for the short texts of a result line.
void appendBytes(QByteArray& out, const char* bytes, qsizetype count) {
    const qsizetype start = out.size();
    out.resize(start + count);
    std::memcpy(out.data() + start, bytes, std::size_t(count));
}

QString padSize(const QString& text) {
    return text.rightJustified(kSizeWidth, QLatin1Char(' '));
}

bool isAsciiLetterOrDigit(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

// Lower case with the first character and every character after one that startsWord accepts
// upper-cased.
template <typename StartsWord>
QString capitalizeAfter(const QString& text, StartsWord startsWord) {
    QString result = text.toLower();
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (i == 0 || startsWord(result.at(i - 1)))
            result[i] = result.at(i).toUpper();
    }
    return result;
}

QString typeNameOfExtension(const QString& lowerExtension) {
    static const QMimeDatabase mimeDatabase;
    const QMimeType type =
        mimeDatabase.mimeTypeForFile(QStringLiteral("x.") + lowerExtension, QMimeDatabase::MatchExtension);
    const QString description = type.isDefault() ? QString() : type.comment().trimmed();
    return description.isEmpty() ? lowerExtension + QStringLiteral(" file") : description;
}

// "00" to "99", for numbers written two digits at a time.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// value, below 100, in two digits; returns the end.
char* writeTwoDigits(char* out, int value) {
    std::memcpy(out, kDigitPairs + 2 * value, 2);
    return out + 2;
}

// value, below 100, in one digit or two.
char* writeSmallNumber(char* out, int value) {
    if (value >= 10)
        return writeTwoDigits(out, value);
    *out = char('0' + value);
    return out + 1;
}

} // namespace

char* WriteSizeKB(char* out, std::int64_t bytes) {
    std::uint64_t kilobytes = bytes < 1 ? 0 : bytes < 1024 ? 1 : roundedQuotient(std::uint64_t(bytes), 1024);
    char digits[24];
    int count = 0;
    do {
        digits[count++] = char('0' + kilobytes % 10);
        kilobytes /= 10;
    } while (kilobytes > 0);
    // Blanks to the width, the digits with a comma before every group of three but the first, "KB".
    for (int length = count + (count - 1) / 3 + 2; length < kSizeWidth; ++length)
        *out++ = ' ';
    for (int i = count - 1; i >= 0; --i) {
        *out++ = digits[i];
        if (i > 0 && i % 3 == 0)
            *out++ = ',';
    }
    *out++ = 'K';
    *out++ = 'B';
    return out;
}

void AppendSizeKB(QByteArray& out, std::int64_t bytes) {
    char text[kMaxSizeText];
    appendBytes(out, text, WriteSizeKB(text, bytes) - text);
}

QString FormatSizeKB(std::int64_t bytes) {
    QByteArray text;
    AppendSizeKB(text, bytes);
    return QString::fromLatin1(text);
}

QString FormatSizeMB(std::int64_t bytes) {
    // Tenths of 1,024,000 bytes are 102,400 bytes.
    const std::uint64_t tenths = roundedQuotient(magnitude(bytes), 102400);
    const QString sign = bytes < 0 && tenths > 0 ? QStringLiteral("-") : QString();
    return padSize(sign + groupedDigits(tenths / 10) + QLatin1Char('.') + QString::number(tenths % 10) +
                   QStringLiteral("MB"));
}

char* WriteDate(char* out, std::int64_t storedSeconds) {
    // Lists and searches format millions of dates: the usual years are written two digits at a
    // time (the calendar arithmetic of days since 1970), any other through QDateTime.
    const auto [days, secondOfDay] = SplitStoredSeconds(storedSeconds);
    const auto [year, month, day] = CivilDateOfDay(days);
    if (year < 1 || year > 9999) {
        const QByteArray text = FormatDate(FromStoredSeconds(storedSeconds)).toLatin1();
        const std::size_t length = std::min<std::size_t>(std::size_t(text.size()), kMaxDateText);
        std::memcpy(out, text.constData(), length);
        return out + length;
    }

    const int hour = secondOfDay / 3600;
    out = writeSmallNumber(out, month);
    *out++ = '/';
    out = writeSmallNumber(out, day);
    *out++ = '/';
    out = writeTwoDigits(out, int(year / 100));
    out = writeTwoDigits(out, int(year % 100));
    *out++ = ' ';
    out = writeSmallNumber(out, hour % 12 == 0 ? 12 : hour % 12);
    *out++ = ':';
    out = writeTwoDigits(out, secondOfDay / 60 % 60);
    *out++ = ':';
    out = writeTwoDigits(out, secondOfDay % 60);
    *out++ = ' ';
    *out++ = hour < 12 ? 'a' : 'p';
    *out++ = 'm';
    return out;
}

void AppendDate(QByteArray& out, std::int64_t storedSeconds) {
    char text[kMaxDateText];
    appendBytes(out, text, WriteDate(text, storedSeconds) - text);
}

QString FormatDate(std::int64_t storedSeconds) {
    QByteArray text;
    AppendDate(text, storedSeconds);
    return QString::fromLatin1(text);
}

QString FormatDate(const QDateTime& dateTime) {
    if (!dateTime.isValid())
        return QString();
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1/%2/%3 %4:%5:%6 %7")
        .arg(date.month())
        .arg(date.day())
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(hour12)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
}

QString FormatCount(std::int64_t count) {
    const QString digits = groupedDigits(magnitude(count));
    return count < 0 ? QLatin1Char('-') + digits : digits;
}

QString LastAccessText(std::int64_t accessedStored, std::int64_t modifiedStored) {
    return FormatDate(accessedStored < kFirstTrustedAccess ? modifiedStored : accessedStored);
}

QString ShowName(const QString& text) {
    if (text.isNull())
        return QStringLiteral("");
    return text.size() == 1 ? text.toUpper() : text;
}

QString ProperCaseName(const QString& text) {
    if (text.isNull())
        return QStringLiteral("");
    if (text.size() == 1)
        return text.toUpper();
    return capitalizeAfter(text, [](QChar previous) { return !isAsciiLetterOrDigit(previous); });
}

QString ZipPathCase(const QString& path) {
    if (path.isNull())
        return QStringLiteral("");
    return capitalizeAfter(
        path, [](QChar previous) { return previous == QLatin1Char('\\') || previous == QLatin1Char(' '); });
}

QString FileIconKey(const QString& name, const QSet<QString>& imageKeys) {
    const QString leaf = QStringLiteral("leaf");
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return leaf;
    const QString key = QLatin1Char('k') + name.mid(dot + 1).trimmed().toLower();
    return imageKeys.contains(key) ? key : leaf;
}

QString FileTypeName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QStringLiteral("<unknown file>");
    const QString extension = name.mid(dot + 1).toLower();

    // Lists ask once per row, and a lookup in the MIME database is far slower than a hash.
    static QMutex cacheMutex;
    static QHash<QString, QString> cache;
    const QMutexLocker lock(&cacheMutex);
    auto found = cache.constFind(extension);
    if (found == cache.constEnd())
        found = cache.insert(extension, typeNameOfExtension(extension));
    return found.value();
}

} // namespace mendor
