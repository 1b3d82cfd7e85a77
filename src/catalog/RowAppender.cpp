#include "catalog/RowAppender.h"

namespace mendor {

namespace {

// Rows per statement run: past a few dozen the gain levels off.
constexpr int kBatchRows = 32;
constexpr int kColumns = 10;

QString insertSql(const QString& table, int rows) {
    QString sql = QStringLiteral("INSERT INTO %1 (\"ID\", \"parent\", \"name\", \"description\", \"attrib\", "
                                 "\"size\", \"createdate\", \"lastdate\", \"moddate\", \"depth\") VALUES ")
                      .arg(quoteIdentifier(table));
    for (int row = 0; row < rows; ++row) {
        sql += row == 0 ? QStringLiteral("(") : QStringLiteral(", (");
        for (int column = 1; column <= kColumns; ++column)
            sql += QStringLiteral("?%1%2").arg(row * kColumns + column).arg(column < kColumns ? ", " : ")");
    }
    return sql;
}

} // namespace

RowAppender::RowAppender(Database& db, const QString& table, Holding holding)
    : holding_(holding), single_(db.prepare(insertSql(table, 1))),
      batch_(db.prepare(insertSql(table, kBatchRows))) {
    pending_.reserve(kBatchRows);
}

std::size_t RowAppender::add(const CatalogRow& row) {
    const std::size_t place = pending_.size();
    Pending& pending = pending_.emplace_back();
    pending.row = row;
    pending.name = keep(row.name);
    pending.description = keep(row.description);
    pending.row.name = {};
    pending.row.description = {};
    if (holding_ == Holding::Batches && pending_.size() == std::size_t(kBatchRows))
        writeBatches();
    return place;
}

RowAppender::Text RowAppender::keep(QByteArrayView text) {
    if (text.isNull())
        return {};
    const Text kept{texts_.size(), text.size()};
    texts_.append(text.data(), std::size_t(text.size()));
    return kept;
}

QByteArrayView RowAppender::textOf(const Text& text) const {
    // A non-null view even of an empty text: the empty text is not NULL.
    return text.size < 0 ? QByteArrayView() : QByteArrayView(texts_.data() + text.at, text.size);
}

void RowAppender::flush() {
    const std::size_t batched = writeBatches();
    for (std::size_t i = batched; i < pending_.size(); ++i) {
        bind(single_, 1, pending_[i]);
        single_.execute();
        single_.reset();
    }
    pending_.clear();
    texts_.clear();
}

std::size_t RowAppender::writeBatches() {
    std::size_t written = 0;
    for (; pending_.size() - written >= std::size_t(kBatchRows); written += kBatchRows) {
        for (int i = 0; i < kBatchRows; ++i)
            bind(batch_, i * kColumns + 1, pending_[written + std::size_t(i)]);
        batch_.execute();
        batch_.reset();
    }
    if (written == pending_.size()) {
        pending_.clear();
        texts_.clear();
    }
    return written;
}

void RowAppender::bind(Statement& insert, int first, const Pending& pending) const {
    const CatalogRow& row = pending.row;
    // The texts stay in texts_ until the statement has run.
    insert.bind(first, row.id).bind(first + 1, row.parent);
    insert.bindUtf8Unchanged(first + 2, textOf(pending.name));
    insert.bindUtf8Unchanged(first + 3, textOf(pending.description));
    insert.bindUtf8Unchanged(first + 4, row.attrib);
    if (row.size)
        insert.bind(first + 5, *row.size);
    else
        insert.bindNull(first + 5);
    insert.bind(first + 6, row.created).bind(first + 7, row.accessed).bind(first + 8, row.modified);
    insert.bind(first + 9, row.depth);
}

} // namespace mendor
