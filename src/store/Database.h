#pragma once
// A small RAII layer over the SQLite C API: one Database per open file, prepared Statements
// with bound values, Transactions that roll back unless committed.
//
// Every operation opens the database it needs and closes it when it ends (the Database goes out
// of scope), so no handle is open while a file is renamed, deleted, compacted or moved. An open
// Database holds a shared DatabaseLock on its file, which tells renaming, deleting and
// compacting that the file is in use.
//
// A Database and its Statements are used by one thread at a time (the engine does not lock each
// call): a search reads with one connection per thread.
#include "store/DatabaseLock.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace mendor {

/// An engine error: the file is missing, not a database, locked, or a statement failed.
class SqlError : public std::runtime_error {
public:
    SqlError(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

/// A file that SQLite can read but that is not a catalog database: its table "index" lacks a
/// field of the catalog's, or it has no table "version".
class ForeignDatabaseError : public SqlError {
public:
    using SqlError::SqlError;
};

/// "name" with embedded quotes doubled: safe for any table, view or column name.
QString quoteIdentifier(const QString& name);

/// 'text' with embedded single quotes doubled: a safe SQL string literal.
QString quoteLiteral(const QString& text);

class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    /// Parameters are numbered from 1, as in SQLite.
    Statement& bind(int index, std::int64_t value);
    template <std::integral T>
    requires(!std::same_as<T, std::int64_t>) Statement& bind(int index, T value) {
        return bind(index, static_cast<std::int64_t>(value));
    }
    Statement& bind(int index, const QString& text); ///< a null QString binds NULL
    /// Text already in UTF-8, bound without a copy (a null one binds NULL): the bytes must stay
    /// where they are, unchanged, until the parameter is bound again or the statement ends. For
    /// rows written by the million.
    Statement& bindUtf8Unchanged(int index, QByteArrayView utf8);
    Statement& bindNull(int index);
    /// Bytes stored as they stand (a BLOB); a null QByteArray binds NULL.
    Statement& bindBlob(int index, const QByteArray& bytes);

    /// Advances to the next row; false when there is none (the statement is done).
    bool step();
    /// Runs the statement to its end, ignoring any rows.
    void execute();
    /// Makes the statement ready to run again with new values (bindings are kept).
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    /// The index of a result column by name, compared without regard to case; -1 when absent.
    int columnIndex(const QString& name) const;

    bool isNull(int column) const;
    std::int64_t columnInt(int column) const;
    /// The column's number, or nothing for NULL.
    std::optional<std::int64_t> columnIntOrNull(int column) const;
    QString columnText(int column) const;    ///< NULL reads as a null QString
    QByteArray columnBlob(int column) const; ///< NULL reads as a null QByteArray
    /// The column's BLOB bytes without a copy; empty for NULL. Valid as long as columnUtf8's.
    QByteArrayView columnBlobView(int column) const;
    /// The column's text as UTF-8 bytes, without converting it; empty for NULL. Valid until the
    /// next step or reset of this statement, or until the same column is read as another type.
    QByteArrayView columnUtf8(int column) const;

    /// Column access by name; a missing column raises SqlError.
    bool isNull(const QString& name) const { return isNull(requireColumn(name)); }
    std::int64_t columnInt(const QString& name) const { return columnInt(requireColumn(name)); }
    QString columnText(const QString& name) const { return columnText(requireColumn(name)); }

private:
    int requireColumn(const QString& name) const;
    void check(int rc, const char* what) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

class Database {
public:
    /// Opens an existing catalog database file for reading and writing. A missing, unreadable or
    /// foreign file (not SQLite, or truncated) raises SqlError with a message naming the file,
    /// and so does a file that a rename, deletion or compaction elsewhere keeps locked, or that
    /// another program holds locked for longer than a moment. A database whose fixed tables are
    /// not the catalog's raises ForeignDatabaseError before anything reads or changes it.
    static Database open(const QString& path);
    /// Opens a file read-only, for listing and browsing.
    static Database openReadOnly(const QString& path);

    ~Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }
    sqlite3* handle() const { return db_; }

    /// Reads large tables through memory mapping rather than copies into the page cache:
    /// faster for searches that scan a million rows. Harmless when the engine declines.
    void preferMappedReads() noexcept;
    /// Sorts and groups of a million rows in memory, on helper threads, rather than through
    /// temporary files: for the duplicate search. Harmless when the engine declines.
    void preferLargeSorts() noexcept;

    /// Runs one or more statements; a failure raises SqlError.
    void exec(const QString& sql);
    /// Runs statements and swallows any failure: for steps that may fail harmlessly.
    bool execIgnoringErrors(const QString& sql) noexcept;

    Statement prepare(const QString& sql) const;

    /// Rows changed by the last INSERT, UPDATE or DELETE.
    std::int64_t changes() const;

    /// Every table of the database, the engine's own (sqlite_*) included, in creation order.
    QStringList tableNames() const;
    bool hasTable(const QString& name) const;

    /// A stored query: a view named name over selectSql, replacing one of that name.
    void createView(const QString& name, const QString& selectSql);
    void dropView(const QString& name);

    void close() noexcept;

    /// Writes a compacted copy of the closed database file source into the new file destination.
    static void compactInto(const QString& source, const QString& destination);

private:
    Database(sqlite3* db, QString path, DatabaseLock lock)
        : db_(db), path_(std::move(path)), lock_(std::move(lock)) {}
    static Database openWith(const QString& path, int flags);
    void requireCatalogSchema() const;

    sqlite3* db_ = nullptr;
    QString path_;
    DatabaseLock lock_;
};

/// BEGIN on construction; ROLLBACK on destruction unless commit() was called.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& db_;
    bool open_ = true;
};

} // namespace mendor
