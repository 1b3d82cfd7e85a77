#pragma once
// Reads result rows from a statement over a volume table (or a query with its fields): finds the
// fields once by name, then turns each row into a ResultRow, or straight into the line of text
// that AppendResultLine writes of it, for output of many rows without a QString per field.
// Attribute texts and type names, which repeat, are looked up by their bytes and shared between
// rows.
#include "search/ResultRow.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace mendor {

class Statement;

/// Appends a text (well-formed UTF-8, made from a QString) as one field of such a line: a tab or
/// a line break in it becomes a blank.
void AppendLineField(QByteArray& out, QByteArrayView text);

class ResultReader {
public:
    /// The statement's result columns must include ID, parent, name, size, description, attrib,
    /// createdate, moddate and lastdate (any letter case); a missing one raises SqlError.
    explicit ResultReader(const Statement& statement);

    /// The current row, without location and volume.
    ResultRow read(const Statement& statement, bool folder);
    std::int64_t parent(const Statement& statement) const;
    /// Appends the current row's line as AppendResultLine gives it, with the location and the
    /// volume's name that the row would carry, in UTF-8 as their QStrings give it.
    void appendLine(QByteArray& out, const Statement& statement, bool folder, QByteArrayView location,
                    QByteArrayView volume);

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
    // Looked up by the bytes in the statement, without a string made of them.
    struct BytesHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view bytes) const { return std::hash<std::string_view>()(bytes); }
    };
    template <typename Value>
    using ByBytes = std::unordered_map<std::string, Value, BytesHash, std::equal_to<>>;

    ByBytes<QString> attribs_;
    ByBytes<QString> fileTypes_;        ///< by the name's last "." and what follows
    ByBytes<QByteArray> fileTypesUtf8_; ///< the same, as appendLine writes them
};

} // namespace mendor
