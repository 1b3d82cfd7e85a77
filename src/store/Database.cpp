#include "store/Database.h"

#include "store/JetFunctions.h"
#include "store/Schema.h"

#include <mutex>
#include <optional>
#include <QFileInfo>
#include <sqlite3.h>
#include <utility>

namespace mendor {

namespace {

// Another program (or another instance) holding a write lock: wait a little before failing.
constexpr int kBusyTimeoutMs = 3000;
// Opening retries when the file was replaced under it; a file replaced this often is refused.
constexpr int kOpenAttempts = 3;
// How much of a database file searches read through memory mapping.
constexpr qint64 kMappedReadBytes = qint64(1) << 30;
// Memory for the duplicate search's sorts (kilobytes), and the engine's helper threads for them.
constexpr int kSortCacheKilobytes = 128 * 1024;
constexpr int kSortThreads = 2;

std::string errorText(sqlite3* db, const char* what) {
    return std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
}

} // namespace

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString quoteLiteral(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// ---- Statement ------------------------------------------------------------------------------

Statement::Statement(sqlite3* db, const QString& sql) : db_(db) {
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = errorText(db_, "prepare") + " in: " + utf8.toStdString();
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw SqlError(message, rc);
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = std::exchange(other.db_, nullptr);
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

void Statement::check(int rc, const char* what) const {
    if (rc != SQLITE_OK)
        throw SqlError(errorText(db_, what), rc);
}

Statement& Statement::bind(int index, std::int64_t value) {
    check(sqlite3_bind_int64(stmt_, index, value), "bind");
    return *this;
}

Statement& Statement::bind(int index, const QString& text) {
    if (text.isNull())
        return bindNull(index);
    const QByteArray utf8 = text.toUtf8();
    check(sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT), "bind");
    return *this;
}

Statement& Statement::bindUtf8Unchanged(int index, QByteArrayView utf8) {
    if (utf8.isNull())
        return bindNull(index);
    check(sqlite3_bind_text64(stmt_, index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_STATIC,
                              SQLITE_UTF8),
          "bind");
    return *this;
}

Statement& Statement::bindNull(int index) {
    check(sqlite3_bind_null(stmt_, index), "bind");
    return *this;
}

Statement& Statement::bindBlob(int index, const QByteArray& bytes) {
    if (bytes.isNull())
        return bindNull(index);
    check(
        sqlite3_bind_blob64(stmt_, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT),
        "bind");
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const std::string message = errorText(db_, "step");
    sqlite3_reset(stmt_);
    throw SqlError(message, rc);
}

void Statement::execute() {
    while (step()) {
    }
}

void Statement::reset() {
    sqlite3_reset(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

int Statement::columnIndex(const QString& name) const {
    const int count = columnCount();
    for (int i = 0; i < count; ++i) {
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int Statement::requireColumn(const QString& name) const {
    const int index = columnIndex(name);
    if (index < 0)
        throw SqlError("no column " + name.toStdString(), SQLITE_ERROR);
    return index;
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t Statement::columnInt(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::optional<std::int64_t> Statement::columnIntOrNull(int column) const {
    // One call for the column; the value calls after it are cheap. The value is one that SQLite
    // does not lock, which is safe as a connection serves one thread at a time.
    sqlite3_value* value = sqlite3_column_value(stmt_, column);
    if (sqlite3_value_type(value) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_value_int64(value);
}

QString Statement::columnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!text)
        return QString();
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column));
}

QByteArrayView Statement::columnUtf8(int column) const {
    // As in columnIntOrNull.
    sqlite3_value* value = sqlite3_column_value(stmt_, column);
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (!text)
        return {};
    return QByteArrayView(text, sqlite3_value_bytes(value));
}

QByteArray Statement::columnBlob(int column) const {
    if (isNull(column))
        return QByteArray();
    const void* bytes = sqlite3_column_blob(stmt_, column);
    // An empty BLOB has no bytes to point at.
    return bytes ? QByteArray(static_cast<const char*>(bytes), sqlite3_column_bytes(stmt_, column))
                 : QByteArray("", 0);
}

QByteArrayView Statement::columnBlobView(int column) const {
    const void* bytes = sqlite3_column_blob(stmt_, column);
    if (!bytes)
        return {};
    return QByteArrayView(static_cast<const char*>(bytes), sqlite3_column_bytes(stmt_, column));
}

// ---- Database -------------------------------------------------------------------------------

Database Database::openWith(const QString& path, int flags) {
    // The engine's count of allocated memory takes one lock for the whole process on every
    // allocation: searches that prepare thousands of statements on several threads queue on it.
    // Nothing here reads that count. It can be switched off only before the first connection.
    static std::once_flag withoutMemoryCount;
    std::call_once(withoutMemoryCount, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
    const QFileInfo info(path);
    if (!info.exists())
        throw SqlError("The database " + path.toStdString() + " does not exist.", SQLITE_CANTOPEN);
    if (!info.isFile() || !info.isReadable())
        throw SqlError("The database " + path.toStdString() + " cannot be read.", SQLITE_CANTOPEN);

    sqlite3* db = nullptr;
    std::optional<DatabaseLock> lock;
    for (int attempt = 1;; ++attempt) {
        lock = DatabaseLock::acquireShared(path, kBusyTimeoutMs);
        if (!lock)
            throw SqlError("The database " + path.toStdString() + " is in use and cannot be opened.",
                           SQLITE_BUSY);
        // A connection serves one thread at a time (a worker may take one over, never share it),
        // so the engine's locking around every call is left out.
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            const std::string message =
                "Cannot open " + path.toStdString() + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
            sqlite3_close(db);
            throw SqlError(message, rc);
        }
        // A compaction elsewhere may have put a new file in place between the lock and the
        // open: the lock must be on the file that is open.
        if (lock->isOn(path) || attempt == kOpenAttempts)
            break;
        sqlite3_close(db);
        db = nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 0);
    // A double-quoted name that names no column is an error, never read as a string literal.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    if (!RegisterJetFunctions(db)) {
        sqlite3_close(db);
        throw SqlError("Cannot open " + path.toStdString() + ": out of memory", SQLITE_NOMEM);
    }
    Database database(db, path, std::move(*lock));
    // SQLite reads the header lazily: make a foreign or truncated file fail here, not later.
    try {
        database.prepare(QStringLiteral("SELECT count(*) FROM sqlite_master")).execute();
    } catch (const SqlError& e) {
        if (e.code() == SQLITE_BUSY || e.code() == SQLITE_LOCKED)
            throw SqlError("The database " + path.toStdString() +
                               " is locked by another program and cannot be opened now.",
                           e.code());
        throw SqlError(path.toStdString() + " is not a usable catalog database (" + e.what() + ")", e.code());
    }
    database.requireCatalogSchema();
    return database;
}

void Database::requireCatalogSchema() const {
    const auto refuse = [this](const QString& why) {
        throw ForeignDatabaseError(
            QStringLiteral("%1 is not a catalog database: %2.").arg(path_, why).toStdString(), SQLITE_NOTADB);
    };
    QStringList columns;
    Statement info = prepare(QStringLiteral("SELECT lower(\"name\") FROM pragma_table_info('index')"));
    while (info.step())
        columns << info.columnText(0);
    if (columns.isEmpty())
        refuse(QStringLiteral("it has no table \"index\""));
    for (const QString& field : kIndexFields) {
        if (!columns.contains(field))
            refuse(QStringLiteral("its table \"index\" has no field \"%1\"").arg(field));
    }
    if (!hasTable(QStringLiteral("version")))
        refuse(QStringLiteral("it has no table \"version\""));
}

Database Database::open(const QString& path) {
    return openWith(path, SQLITE_OPEN_READWRITE);
}

Database Database::openReadOnly(const QString& path) {
    // A journal left behind by a process killed in mid-transaction is rolled back only by a
    // connection that may write; until then a read-only connection cannot read the file at all.
    if (QFileInfo::exists(path + QStringLiteral("-journal")) && QFileInfo(path).isWritable())
        return open(path);
    return openWith(path, SQLITE_OPEN_READONLY);
}

Database::~Database() {
    close();
}

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)), lock_(std::move(other.lock_)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
        lock_ = std::move(other.lock_);
    }
    return *this;
}

void Database::close() noexcept {
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    lock_.release();
}

void Database::exec(const QString& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        throw SqlError(message + " in: " + sql.toStdString(), rc);
    }
}

void Database::preferMappedReads() noexcept {
    execIgnoringErrors(QStringLiteral("PRAGMA mmap_size = %1").arg(kMappedReadBytes));
}

void Database::preferLargeSorts() noexcept {
    execIgnoringErrors(
        QStringLiteral("PRAGMA temp_store = MEMORY; PRAGMA cache_size = -%1; PRAGMA threads = %2")
            .arg(kSortCacheKilobytes)
            .arg(kSortThreads));
}

bool Database::execIgnoringErrors(const QString& sql) noexcept {
    return sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

Statement Database::prepare(const QString& sql) const {
    return Statement(db_, sql);
}

std::int64_t Database::changes() const {
    return sqlite3_changes64(db_);
}

QStringList Database::tableNames() const {
    QStringList names;
    Statement query =
        prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid"));
    while (query.step())
        names << query.columnText(0);
    // The schema table itself is a table of the engine's, like Jet's MSys tables.
    names.prepend(QStringLiteral("sqlite_master"));
    return names;
}

bool Database::hasTable(const QString& name) const {
    Statement query =
        prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE"));
    query.bind(1, name);
    return query.step();
}

void Database::createView(const QString& name, const QString& selectSql) {
    dropView(name);
    exec(QStringLiteral("CREATE VIEW %1 AS %2").arg(quoteIdentifier(name), selectSql));
}

void Database::dropView(const QString& name) {
    exec(QStringLiteral("DROP VIEW IF EXISTS %1").arg(quoteIdentifier(name)));
}

void Database::compactInto(const QString& source, const QString& destination) {
    Database db = open(source);
    Statement vacuum = db.prepare(QStringLiteral("VACUUM INTO ?1"));
    vacuum.bind(1, destination);
    vacuum.execute();
}

// ---- Transaction ----------------------------------------------------------------------------

Transaction::Transaction(Database& db) : db_(db) {
    db_.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction() {
    if (open_)
        db_.execIgnoringErrors(QStringLiteral("ROLLBACK"));
}

void Transaction::commit() {
    db_.exec(QStringLiteral("COMMIT"));
    open_ = false;
}

} // namespace mendor
