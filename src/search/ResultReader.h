#pragma once
// Reads result rows from a statement over a volume table (or a query with its fields): finds the
// fields once by name, then turns each row into a ResultRow; attribute texts, which repeat, are
// shared between rows.
#include "search/ResultRow.h"

#include <QHash>

namespace mendor {

class Statement;

class ResultReader {
public:
    /// The statement's result columns must include ID, parent, name, size, description, attrib,
    /// createdate, moddate and lastdate (any letter case); a missing one raises SqlError.
    explicit ResultReader(const Statement& statement);

    /// The current row, without location and volume.
    ResultRow read(const Statement& statement, bool folder);
    std::int64_t parent(const Statement& statement) const;

private:
    int id_;
    int parent_;
    int name_;
    int size_;
    int description_;
    int attrib_;
    int created_;
    int modified_;
    int accessed_;
    QHash<QString, QString> attribs_;
};

} // namespace mendor
