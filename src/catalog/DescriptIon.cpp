#include "catalog/DescriptIon.h"

#include <array>
#include <QFile>
#include <QStringDecoder>

namespace mendor {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five undefined bytes stay as they are.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeLine(const QByteArray& line) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(line);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(line);
}

} // namespace

QString DecodeWindows1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.append(byte >= 0x80 && byte < 0xA0 ? QChar(kWindows1252High[byte - 0x80]) : QChar(byte));
    }
    return text;
}

DescriptIon DescriptIon::load(const QByteArray& localPath) {
    DescriptIon result;
    QFile file(QString::fromLocal8Bit(localPath));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.isEmpty() && file.error() != QFileDevice::NoError)
            break;
        result.addLine(line);
    }
    return result;
}

DescriptIon DescriptIon::parse(const QByteArray& content) {
    DescriptIon result;
    for (const QByteArray& line : content.split('\n'))
        result.addLine(line);
    return result;
}

void DescriptIon::addLine(const QByteArray& rawLine) {
    QByteArray line = rawLine;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const QString text = decodeLine(line);

    QString name;
    QString description;
    if (text.startsWith(QLatin1Char('"'))) {
        const int close = text.indexOf(QLatin1Char('"'), 1);
        if (close < 0)
            return;
        name = text.mid(1, close - 1);
        // The character after the closing quote separates name and description.
        description = text.mid(close + 2);
    } else {
        const int blank = text.indexOf(QLatin1Char(' '));
        if (blank < 0)
            return;
        name = text.left(blank);
        description = text.mid(blank + 1);
    }
    // A line that ends with the name describes its item with the empty text, not with nothing.
    if (description.isNull())
        description = QStringLiteral("");
    const QString key = name.toLower();
    if (!descriptions_.contains(key))
        descriptions_.insert(key, description);
}

} // namespace mendor
