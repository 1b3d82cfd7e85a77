#include "store/ConnectionPool.h"

#include <utility>

namespace mendor {

ConnectionPool::Lease::Lease(ConnectionPool* pool, QString path, std::unique_ptr<Database> database)
    : pool_(pool), path_(std::move(path)), database_(std::move(database)) {}

ConnectionPool::Lease::~Lease() {
    giveBack();
}

ConnectionPool::Lease::Lease(Lease&& other) noexcept
    : pool_(std::exchange(other.pool_, nullptr)), path_(std::move(other.path_)),
      database_(std::move(other.database_)) {}

ConnectionPool::Lease& ConnectionPool::Lease::operator=(Lease&& other) noexcept {
    if (this != &other) {
        giveBack();
        pool_ = std::exchange(other.pool_, nullptr);
        path_ = std::move(other.path_);
        database_ = std::move(other.database_);
    }
    return *this;
}

void ConnectionPool::Lease::giveBack() noexcept {
    if (!pool_ || !database_)
        return;
    try {
        const std::lock_guard lock(pool_->mutex_);
        pool_->idle_[path_].push_back(std::move(database_));
    } catch (...) {
        // Without room to keep it, the connection is simply closed.
        database_.reset();
    }
    pool_ = nullptr;
}

ConnectionPool::Lease ConnectionPool::take(const QString& path) {
    {
        const std::lock_guard lock(mutex_);
        const auto found = idle_.find(path);
        if (found != idle_.end() && !found->second.empty()) {
            std::unique_ptr<Database> database = std::move(found->second.back());
            found->second.pop_back();
            return Lease(this, path, std::move(database));
        }
    }
    auto database = std::make_unique<Database>(Database::openReadOnly(path));
    database->preferMappedReads();
    return Lease(this, path, std::move(database));
}

} // namespace mendor
