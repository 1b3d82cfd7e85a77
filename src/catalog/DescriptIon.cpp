#include "catalog/DescriptIon.h"

#include "platform/MediumFile.h"

#include <algorithm>
#include <array>
#include <QStringDecoder>
#include <vector>

namespace mendor {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five undefined bytes stay as they are.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Code page 437, the original DOS one, from 0x80 on.
constexpr std::array<char16_t, 128> kDos437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

QChar windows1252Char(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? QChar(kWindows1252High[byte - 0x80]) : QChar(byte);
}

QChar dos437Char(unsigned char byte) {
    return byte >= 0x80 ? QChar(kDos437High[byte - 0x80]) : QChar(byte);
}

bool isAscii(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isUtf8(QByteArrayView bytes) {
    if (isAscii(bytes))
        return true;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    [[maybe_unused]] const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

/// The bytes of a name without letter case: UTF-8 lower-cased as text, anything else byte by
/// byte in its ASCII letters (what those bytes mean is not known).
QByteArray withoutCase(QByteArrayView name) {
    if (!isAscii(name) && isUtf8(name))
        return QString::fromUtf8(name).toLower().toUtf8();
    QByteArray folded = name.toByteArray();
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return folded;
}

bool isWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

std::vector<QByteArrayView> splitLines(QByteArrayView content) {
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (content[i] != '\n' && content[i] != '\r')
            continue;
        lines.push_back(content.sliced(start, i - start));
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < content.size())
        lines.push_back(content.sliced(start));
    return lines;
}

} // namespace

QString DecodeWindows1252(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text.append(windows1252Char(static_cast<unsigned char>(c)));
    return text;
}

QString DecodeDos437(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text.append(dos437Char(static_cast<unsigned char>(c)));
    return text;
}

DescriptIon DescriptIon::load(int folderFd, const char* name) {
    const FileDescriptor file = OpenRegularFileAt(folderFd, name);
    if (!file.isOpen())
        return {};
    QByteArray content;
    bool complete = false;
    ReadAtMost(file.get(), kReadLimit, content, complete);
    // A line cut by the limit or a read error is not taken.
    if (!complete) {
        const qsizetype lastBreak = std::max(content.lastIndexOf('\n'), content.lastIndexOf('\r'));
        content.truncate(lastBreak + 1);
    }
    return parse(content);
}

DescriptIon DescriptIon::parse(const QByteArray& content) {
    const std::vector<QByteArrayView> lines = splitLines(content);
    // The lines that are not UTF-8 share one old code page: the one that reads more of the
    // bytes inside words as letters. Bytes at word boundaries are quotes, dashes and the like in
    // Windows-1252, and tell nothing.
    int windowsLetters = 0;
    int dosLetters = 0;
    for (const QByteArrayView line : lines) {
        if (isUtf8(line))
            continue;
        for (qsizetype i = 1; i + 1 < line.size(); ++i) {
            const auto byte = static_cast<unsigned char>(line[i]);
            if (byte < 0x80 || !isWordByte(line[i - 1]) || !isWordByte(line[i + 1]))
                continue;
            windowsLetters += windows1252Char(byte).isLetter() ? 1 : 0;
            dosLetters += dos437Char(byte).isLetter() ? 1 : 0;
        }
    }
    const CodePage legacy = dosLetters > windowsLetters ? CodePage::Dos437 : CodePage::Windows1252;
    DescriptIon result;
    for (const QByteArrayView line : lines)
        result.addLine(line, legacy);
    return result;
}

void DescriptIon::addLine(QByteArrayView line, CodePage legacy) {
    if (line.startsWith(kByteOrderMark))
        line = line.sliced(kByteOrderMark.size());
    QByteArrayView name;
    QByteArrayView description;
    if (line.startsWith('"')) {
        const qsizetype close = line.indexOf('"', 1);
        if (close < 0)
            return;
        name = line.sliced(1, close - 1);
        // The character after the closing quote separates name and description.
        description = close + 2 <= line.size() ? line.sliced(close + 2) : QByteArrayView();
    } else {
        const qsizetype blank = line.indexOf(' ');
        if (blank < 0)
            return;
        name = line.first(blank);
        description = line.sliced(blank + 1);
    }
    const bool utf8 = isUtf8(line);
    const auto decode = [&](QByteArrayView bytes) {
        return utf8                         ? QString::fromUtf8(bytes)
               : legacy == CodePage::Dos437 ? DecodeDos437(bytes)
                                            : DecodeWindows1252(bytes);
    };
    // A line that ends with the name describes its item with the empty text, not with nothing.
    QString text = decode(description);
    if (text.isNull())
        text = QStringLiteral("");
    const auto keepFirst = [this, &text](const QByteArray& key) {
        if (!descriptions_.contains(key))
            descriptions_.insert(key, text);
    };
    keepFirst(withoutCase(name));
    if (!utf8 && !isAscii(name))
        keepFirst(withoutCase(decode(name).toUtf8()));
}

QString DescriptIon::descriptionOf(QByteArrayView localName) const {
    return descriptions_.isEmpty() ? QString() : descriptions_.value(withoutCase(localName));
}

} // namespace mendor
