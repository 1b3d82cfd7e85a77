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
    row.id = statement.columnInt(id_);
    row.name = statement.columnText(name_);
    row.size = statement.columnInt(size_);
    row.type = ResultTypeName(folder, row.name);
    row.created = dateOf(statement, created_);
    row.modified = dateOf(statement, modified_);
    row.accessed = dateOf(statement, accessed_);
    const QString attrib = statement.columnText(attrib_);
    auto shared = attribs_.constFind(attrib);
    if (shared == attribs_.constEnd())
        shared = attribs_.insert(attrib, attrib);
    row.attrib = shared.value();
    row.description = statement.columnText(description_);
    return row;
}

std::int64_t ResultReader::parent(const Statement& statement) const {
    return statement.columnInt(parent_);
}

} // namespace mendor
