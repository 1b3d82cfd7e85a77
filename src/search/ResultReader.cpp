#include "search/ResultReader.h"

#include "store/Database.h"

namespace mendor {

namespace {

int requireColumn(const Statement& statement, const char* name) {
    const int column = statement.columnIndex(QLatin1String(name));
    if (column < 0)
        throw SqlError(std::string("no column ") + name, 1);
    return column;
}

std::int64_t dateOf(const Statement& statement, int column) {
    return statement.isNull(column) ? kNoDate : statement.columnInt(column);
}

} // namespace

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
        const qsizetype dot = name.lastIndexOf('.');
        const std::string extension =
            dot < 0 ? std::string() : std::string(name.sliced(dot).data(), name.size() - dot);
        auto type = fileTypes_.find(extension);
        if (type == fileTypes_.end())
            type = fileTypes_.emplace(extension, ResultTypeName(false, row.name)).first;
        row.type = type->second;
    }
    const QByteArrayView attrib = statement.columnUtf8(attrib_);
    auto shared = attribs_.find(std::string(attrib.data(), std::size_t(attrib.size())));
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

std::int64_t ResultReader::parent(const Statement& statement) const {
    return statement.columnInt(parent_);
}

} // namespace mendor
