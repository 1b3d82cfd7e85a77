#pragma once
// The rows of one volume table as a scan writes them: by the hundred thousand, so they go to the
// engine a batch at a time. One statement run per batch keeps the engine's cursor at the end of
// the table instead of seeking the place of every row, which saves a third of the work per row.
#include "store/Database.h"

#include <cstdint>
#include <optional>
#include <QByteArrayView>
#include <QString>
#include <string>
#include <vector>

namespace mendor {

/// The columns of a row of t_dirs or t_files, texts in UTF-8 (a null text is NULL).
struct CatalogRow {
    std::int64_t id = 0;
    std::int64_t parent = 0;
    QByteArrayView name;              ///< copied when the row is added
    QByteArrayView description;       ///< copied when the row is added
    QByteArrayView attrib;            ///< not copied: must stay where it is until flush()
    std::optional<std::int64_t> size; ///< none: NULL
    std::int64_t created = 0;
    std::int64_t accessed = 0;
    std::int64_t modified = 0;
    int depth = 0;
};

class RowAppender {
public:
    enum class Holding {
        Batches,    ///< rows are written a batch at a time
        UntilFlush, ///< every row waits for flush(), so that its size can still be set
    };

    RowAppender(Database& db, const QString& table, Holding holding = Holding::Batches);

    /// Adds a row; rows reach the table in the order added, at the latest on flush(). Returns
    /// the row's place among the rows not written yet.
    std::size_t add(const CatalogRow& row);
    /// Sets the size of a row not written yet.
    void setSize(std::size_t place, std::int64_t size) { pending_[place].row.size = size; }
    /// Writes every row added and not written yet.
    void flush();

private:
    /// A text of a pending row, kept in texts_.
    struct Text {
        std::size_t at = 0;
        qsizetype size = -1; ///< -1: NULL
    };
    struct Pending {
        CatalogRow row; ///< its name and description are in texts_, not where the views point
        Text name;
        Text description;
    };

    Text keep(QByteArrayView text);
    QByteArrayView textOf(const Text& text) const;

    void bind(Statement& insert, int firstParameter, const Pending& pending) const;
    /// Writes the pending rows a batch at a time, as long as a batch is full; the number written.
    /// Clears the pending rows when that was all of them.
    std::size_t writeBatches();

    const Holding holding_;
    Statement single_;
    Statement batch_;
    std::vector<Pending> pending_;
    std::string texts_; ///< the names and descriptions of the pending rows
};

} // namespace mendor
