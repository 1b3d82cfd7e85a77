#pragma once
// Read-only connections kept open for the length of one operation that reads the same databases
// several times, on several threads: opening a catalog reads its whole schema (two tables and
// two indexes per volume), which costs more than most of the queries a search then runs on it.
//
// A connection is lent to one thread at a time and comes back when its lease ends; the pool
// closes them all when it goes, so it must not outlive the operation (see store/Database.h).
#include "store/Database.h"

#include <map>
#include <memory>
#include <mutex>
#include <QString>
#include <vector>

namespace mendor {

class ConnectionPool {
public:
    /// A lent connection; returned to the pool when the lease ends.
    class Lease {
    public:
        Lease() = default;
        ~Lease();
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        const Database& operator*() const { return *database_; }
        const Database* operator->() const { return database_.get(); }
        explicit operator bool() const { return database_ != nullptr; }

    private:
        friend class ConnectionPool;
        Lease(ConnectionPool* pool, QString path, std::unique_ptr<Database> database);
        void giveBack() noexcept;

        ConnectionPool* pool_ = nullptr;
        QString path_;
        std::unique_ptr<Database> database_;
    };

    ConnectionPool() = default;
    ConnectionPool(const ConnectionPool&) = delete;
    ConnectionPool& operator=(const ConnectionPool&) = delete;

    /// An idle connection to the file, or a new one (Database::openReadOnly, with mapped reads).
    /// Raises SqlError when the file cannot be opened.
    Lease take(const QString& path);

private:
    std::mutex mutex_;
    std::map<QString, std::vector<std::unique_ptr<Database>>> idle_;
};

} // namespace mendor
