#include "search/ResultRow.h"

#include "shell/TextFormats.h"

namespace mendor {

namespace {

QString dateText(std::int64_t stored) {
    return stored == kNoDate ? QString() : FormatDate(stored);
}

// One byte at the end (QByteArray::append is an insert, slow for a result line's many pieces).
void appendByte(QByteArray& out, char byte) {
    out.resize(out.size() + 1);
    out.data()[out.size() - 1] = byte;
}

// A text as UTF-8 with tabs and line breaks as blanks; plain ASCII is copied byte for byte.
void appendField(QByteArray& out, const QString& text) {
    const auto single = [](char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r' ? u' ' : c; };
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* bytes = out.data() + start;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            QString copy = text;
            for (QChar& d : copy)
                d = QChar(single(d.unicode()));
            out.truncate(start);
            out.append(copy.toUtf8());
            return;
        }
        *bytes++ = char(single(c.unicode()));
    }
}

void appendDate(QByteArray& out, std::int64_t stored) {
    if (stored != kNoDate)
        AppendDate(out, stored);
}

} // namespace

void AppendResultLine(QByteArray& out, const ResultRow& row) {
    appendField(out, row.name);
    appendByte(out, '\t');
    AppendSizeKB(out, row.size);
    appendByte(out, '\t');
    appendField(out, row.location);
    appendByte(out, '\t');
    appendField(out, row.volume);
    appendByte(out, '\t');
    appendField(out, row.type);
    for (const std::int64_t date : {row.created, row.modified, row.accessed}) {
        appendByte(out, '\t');
        appendDate(out, date);
    }
    appendByte(out, '\t');
    appendField(out, row.attrib);
    appendByte(out, '\t');
    appendField(out, row.description);
    appendByte(out, '\n');
}

QString ResultText(const ResultRow& row, int column) {
    switch (column) {
    case 0:
        return row.name;
    case 1:
        return FormatSizeKB(row.size);
    case 2:
        return row.location;
    case 3:
        return row.volume;
    case 4:
        return row.type;
    case 5:
        return dateText(row.created);
    case 6:
        return dateText(row.modified);
    case 7:
        return dateText(row.accessed);
    case 8:
        return row.attrib;
    case 9:
        return row.description;
    default:
        return QString();
    }
}

bool IsZipArchiveRow(bool folder, const QString& name) {
    return folder && name.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive);
}

QString ResultTypeName(bool folder, const QString& name) {
    static const QString folderType = QStringLiteral("(folder)");
    static const QString zipType = QStringLiteral("ZIP file");
    if (IsZipArchiveRow(folder, name))
        return zipType;
    return folder ? folderType : FileTypeName(name);
}

} // namespace mendor
