#include "search/SearchReport.h"

#include "shell/TextFormats.h"

#include <cctype>
#include <cstdint>
#include <QList>
#include <QSaveFile>
#include <utility>

namespace mendor {

namespace {

// Code page 1252 at 0x80-0x9F; 0 where the code page leaves a byte undefined.
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The code page 1252 byte of a character, or 0 when the code page has none.
unsigned char cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] != 0 && kCp1252High[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    }
    return 0;
}

// Names are mostly ASCII: those are copied character by character, without a conversion.
void appendUtf8(QByteArray& out, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            out += text.toUtf8();
            return;
        }
    }
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* bytes = out.data() + start;
    for (const QChar c : text)
        *bytes++ = char(c.unicode());
}

} // namespace

const QString SearchReport::kHeader = QStringLiteral(
    "{\\rtf1\\ansi\\ansicpg1252\\uc1 "
    "\\deff0\\deflang1033\\deflangfe1033{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2"
    "{\\*\\panose 02020603050405020304}Arial;}}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;"
    "\\red0\\green255\\blue255;\\red0\\green255\\blue0; \\red255\\green0\\blue255;\\red255\\green0\\blue0;"
    "\\red255\\green255\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue128;\\red0\\green128\\blue128;"
    "\\red0\\green128\\blue0;\\red128\\green0\\blue128;\\red128\\green0\\blue0;\\red128\\green128\\blue0;"
    "\\red128\\green128\\blue128;\\red192\\green192\\blue192;}{\\fs20 ");
const QString SearchReport::kTitle =
    QStringLiteral("{\\b\\fs30 MENDOR PRO 3 SEARCH RESULTS...} {\\par} {\\par}");
const QString SearchReport::kClosing = QStringLiteral("} } }");

QString RtfEscapePath(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return escaped;
}

void SearchReport::start() {
    text_ = (kHeader + kTitle).toUtf8();
}

void SearchReport::addEntry(bool folder, const QString& name, std::int64_t size, const QString& volume,
                            const QString& location) {
    text_ += folder ? "Folder {\\b " : "File {\\b ";
    appendUtf8(text_, name);
    text_ += "} (";
    const qsizetype sizeStart = text_.size();
    AppendSizeKB(text_, size);
    qsizetype blanks = 0;
    while (text_.at(sizeStart + blanks) == ' ')
        ++blanks;
    text_.remove(sizeStart, blanks);
    for (qsizetype at = sizeStart; at < text_.size(); ++at)
        text_[at] = char(std::tolower(static_cast<unsigned char>(text_.at(at))));
    text_ += ") on {\\b ";
    text_ += converted(volume_, volume, false);
    text_ += "} in ";
    text_ += converted(location_, location, true);
    text_ += " {\\par} {\\par}";
}

const QByteArray& SearchReport::converted(ConvertedText& last, const QString& text, bool escapePath) {
    // The same characters in the same place are the same shared text.
    if (text.constData() != last.text.constData() || text.size() != last.text.size()) {
        last.text = text;
        last.bytes = (escapePath ? RtfEscapePath(text) : text).toUtf8();
    }
    return last.bytes;
}

QByteArray SearchReport::finish() {
    text_ += kClosing.toUtf8();
    return std::exchange(text_, QByteArray());
}

QByteArray RtfFileBytes(const QByteArray& reportUtf8) {
    QByteArray bytes;
    bytes.reserve(reportUtf8.size());
    // \uN takes a signed 16-bit number; a character beyond 16 bits is written as its surrogates.
    const auto escape = [&bytes](char16_t unit) {
        bytes += "\\u" + QByteArray::number(int(static_cast<std::int16_t>(unit))) + '?';
    };
    const qsizetype size = reportUtf8.size();
    for (qsizetype i = 0; i < size;) {
        if (static_cast<unsigned char>(reportUtf8[i]) < 0x80) {
            bytes += reportUtf8[i++];
            continue;
        }
        // A run of other characters is decoded at once; ASCII is copied byte for byte.
        qsizetype end = i;
        while (end < size && static_cast<unsigned char>(reportUtf8[end]) >= 0x80)
            ++end;
        for (const char32_t c : QString::fromUtf8(reportUtf8.constData() + i, end - i).toUcs4()) {
            if (const unsigned char byte = cp1252Byte(c); byte != 0) {
                bytes += char(byte);
            } else if (c > 0xFFFF) {
                escape(char16_t(0xD800 + ((c - 0x10000) >> 10)));
                escape(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                escape(char16_t(c));
            }
        }
        i = end;
    }
    return bytes;
}

QString WriteReportFile(const QString& path, const QByteArray& reportUtf8) {
    const QByteArray bytes = RtfFileBytes(reportUtf8);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return QString();
}

} // namespace mendor
