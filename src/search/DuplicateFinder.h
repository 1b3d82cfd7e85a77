#pragma once
// The rows of the stored duplicates query, found in memory: the engine's grouping and sorting of
// a million rows takes many times longer. The folded names (and sizes) of the rows that meet the
// condition are read first, the keys that occur more than once put in the query's order (folded
// name, then size; rows of one key in the order read: volume by volume, by ID), and then only
// the full rows of those are read. Both readings run on several threads, each with its own
// connection, over ranges of IDs.
#include "search/ResultRow.h"

#include <cstdint>
#include <optional>
#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

namespace mendor {

class SharedFolderTables;

struct DuplicateVolume {
    QString name;
    QString tableName;
    /// Folders and files as the index row counts them: both tables draw their IDs from one
    /// sequence, so this is about where the IDs of either end.
    std::int64_t rows = 0;
};

struct DuplicateScan {
    QString databasePath;
    QList<DuplicateVolume> volumes;
    bool folders = false;
    QString where; ///< the translated condition; empty for every row
    bool bySize = false;
    bool asLines = false; ///< lines as AppendResultLine gives them rather than ResultRows
};

class FoundDuplicates {
public:
    /// Places in the query's order; a row that went away while it was read leaves its place empty.
    std::size_t places() const { return present_.size(); }
    bool present(std::size_t place) const { return present_[place] != 0; }
    /// The row at a place (ResultRows were asked for); the caller may take it.
    ResultRow& row(std::size_t place) { return rows_[place]; }
    /// The lines of the places from from up to to (or the last), one after the other, in place
    /// of out's text (lines were asked for).
    void gatherLines(std::size_t from, std::size_t to, QByteArray& out) const;
    /// The line at a place (lines were asked for).
    QByteArrayView line(std::size_t place) const {
        const Span& span = spans_[place];
        return QByteArrayView(chunks_[span.chunk]).sliced(span.start, span.length);
    }

private:
    friend class DuplicateReading;
    struct Span {
        std::size_t chunk = 0;
        qsizetype start = 0;
        qsizetype length = 0;
    };
    std::vector<char> present_;
    std::vector<ResultRow> rows_;
    std::vector<QByteArray> chunks_;
    std::vector<Span> spans_;
};

/// Nothing when gAbort was set while reading. A table or range that cannot be read contributes
/// no rows. The folders tables of the volumes are taken from folderTables, or loaded into it:
/// the searches of one database's folders and of its files share them.
std::optional<FoundDuplicates> FindDuplicates(const DuplicateScan& scan, SharedFolderTables& folderTables);

} // namespace mendor
