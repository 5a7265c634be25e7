#include "server/sqlite/connection_pool.h"

#include "server/sqlite/catalogue_schema.h"
#include "server/sqlite/sqlite_db.h"

namespace tessivar::directory {

ConnectionLease::ConnectionLease(ConnectionPool &pool, std::unique_ptr<Database> db)
    : pool_(pool), db_(std::move(db))
{
}

ConnectionLease::~ConnectionLease()
{
  pool_.release(std::move(db_));
}

ConnectionPool::ConnectionPool(std::string path) : path_(std::move(path)) {}

ConnectionPool::~ConnectionPool() = default;

ConnectionLease ConnectionPool::acquire()
{
  {
    const std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      auto db = std::move(idle_.back());
      idle_.pop_back();
      return ConnectionLease(*this, std::move(db));
    }
  }
  return ConnectionLease(*this, openReader(path_));
}

void ConnectionPool::release(std::unique_ptr<Database> db)
{
  if (!db) return;
  const std::lock_guard lock(mutex_);
  idle_.push_back(std::move(db));
}

}  // namespace tessivar::directory
