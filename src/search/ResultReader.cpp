#include "search/ResultReader.h"

#include "shell/TextFormats.h"
#include "store/Database.h"

#include <algorithm>
#include <cstring>

namespace mendor {

namespace {

int requireColumn(const Statement& statement, const char* name) {
    const int column = statement.columnIndex(QLatin1String(name));
    if (column < 0)
        throw SqlError(std::string("no column ") + name, 1);
    return column;
}

const QByteArray kFolderType = QByteArrayLiteral("(folder)");

std::int64_t dateOf(const Statement& statement, int column) {
    return statement.columnIntOrNull(column).value_or(kNoDate);
}

// A field as AppendResultLine writes it, as its QString would give it: tabs and line breaks as
// blanks. Plain ASCII is copied as it stands; other text goes through a QString, so that
// malformed UTF-8 comes out the same. at has room for the text's bytes; the end is returned, or
// nothing for other text.
char* writeAsciiField(char* at, QByteArrayView text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return nullptr;
        *at++ = c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
    }
    return at;
}

// The extension by which a file's type is looked up: from the last "." on; empty without one.
std::string_view extensionOf(QByteArrayView name) {
    // Names are short, their extensions shorter: searched from the end.
    for (qsizetype dot = name.size() - 1; dot >= 0; --dot) {
        if (name[dot] == '.')
            return std::string_view(name.data() + dot, std::size_t(name.size() - dot));
    }
    return {};
}

// A text known to be well-formed UTF-8 (made from a QString) as a field.
char* writeWellFormedField(char* at, QByteArrayView text) {
    for (const char c : text)
        *at++ = c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
    return at;
}

// Any text as a field; when it is not plain ASCII the room is grown, so that room bytes remain
// after it.
char* writeField(QByteArray& out, char* at, QByteArrayView text, qsizetype room) {
    if (char* end = writeAsciiField(at, text))
        return end;
    QString converted = QString::fromUtf8(text);
    for (QChar& c : converted) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    const QByteArray bytes = converted.toUtf8();
    const qsizetype offset = at - out.constData();
    out.resize(offset + bytes.size() + room);
    std::memcpy(out.data() + offset, bytes.constData(), std::size_t(bytes.size()));
    return out.data() + offset + bytes.size();
}

} // namespace

void AppendLineField(QByteArray& out, QByteArrayView text) {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    writeWellFormedField(out.data() + start, text);
}

ResultReader::ResultReader(const Statement& statement)
    : id_(requireColumn(statement, "ID")), parent_(requireColumn(statement, "parent")),
      name_(requireColumn(statement, "name")), size_(requireColumn(statement, "size")),
      description_(requireColumn(statement, "description")), attrib_(requireColumn(statement, "attrib")),
      created_(requireColumn(statement, "createdate")), modified_(requireColumn(statement, "moddate")),
      accessed_(requireColumn(statement, "lastdate")) {}

ResultRow ResultReader::read(const Statement& statement, bool folder) {
    ResultRow row;
    row.folder = folder;
    // Each text is used before the next column is read: the bytes are the statement's own.
    const QByteArrayView name = statement.columnUtf8(name_);
    row.name = name.isNull() ? QString() : QString::fromUtf8(name);
    if (folder) {
        row.type = ResultTypeName(folder, row.name);
    } else {
        // The type depends only on the extension: asked once per extension, not per row.
        const std::string_view extension = extensionOf(name);
        auto type = fileTypes_.find(extension);
        if (type == fileTypes_.end())
            type = fileTypes_.emplace(std::string(extension), ResultTypeName(false, row.name)).first;
        row.type = type->second;
    }
    const QByteArrayView attrib = statement.columnUtf8(attrib_);
    auto shared = attribs_.find(std::string_view(attrib.data(), std::size_t(attrib.size())));
    if (shared == attribs_.end())
        shared = attribs_
                     .emplace(std::string(attrib.data(), std::size_t(attrib.size())),
                              attrib.isNull() ? QString() : QString::fromUtf8(attrib))
                     .first;
    row.attrib = shared->second;
    row.id = statement.columnInt(id_);
    row.size = statement.columnInt(size_);
    row.created = dateOf(statement, created_);
    row.modified = dateOf(statement, modified_);
    row.accessed = dateOf(statement, accessed_);
    row.description = statement.columnText(description_);
    return row;
}

void ResultReader::appendLine(QByteArray& out, const Statement& statement, bool folder,
                              QByteArrayView location, QByteArrayView volume) {
    // The texts of a row stay where the engine has them until the next step.
    const QByteArrayView name = statement.columnUtf8(name_);
    const QByteArrayView attrib = statement.columnUtf8(attrib_);
    const QByteArrayView description = statement.columnUtf8(description_);
    QByteArray archiveType;
    QByteArrayView type = kFolderType;
    if (!folder) {
        const std::string_view extension = extensionOf(name);
        auto known = fileTypesUtf8_.find(extension);
        if (known == fileTypesUtf8_.end())
            known =
                fileTypesUtf8_
                    .emplace(std::string(extension), ResultTypeName(false, QString::fromUtf8(name)).toUtf8())
                    .first;
        type = known->second;
    } else if (name.contains('.')) {
        // Archives catalogued as folders are told by their names' endings.
        archiveType = ResultTypeName(true, QString::fromUtf8(name)).toUtf8();
        type = archiveType;
    }

    // Room for the line with every text as it stands; a text that is not plain ASCII grows it.
    const qsizetype start = out.size();
    const qsizetype room = name.size() + location.size() + volume.size() + type.size() + attrib.size() +
                           description.size() + kMaxSizeText + 3 * kMaxDateText + 10;
    if (out.capacity() - start < room)
        out.reserve(std::max(2 * out.capacity(), start + room));
    out.resize(start + room);
    char* at = writeField(out, out.data() + start, name, room);
    *at++ = '\t';
    at = WriteSizeKB(at, statement.columnInt(size_));
    *at++ = '\t';
    at = writeWellFormedField(at, location);
    *at++ = '\t';
    at = writeWellFormedField(at, volume);
    *at++ = '\t';
    at = writeWellFormedField(at, type);
    for (const int date : {created_, modified_, accessed_}) {
        *at++ = '\t';
        if (const std::int64_t stored = dateOf(statement, date); stored != kNoDate)
            at = WriteDate(at, stored);
    }
    *at++ = '\t';
    at = writeField(out, at, attrib, room);
    *at++ = '\t';
    at = writeField(out, at, description, room);
    *at++ = '\n';
    out.resize(at - out.constData());
}

std::int64_t ResultReader::parent(const Statement& statement) const {
    return statement.columnInt(parent_);
}

} // namespace mendor
