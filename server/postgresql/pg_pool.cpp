#include "server/postgresql/pg_pool.h"

#include "server/postgresql/pg_connection.h"

namespace tessivar::directory {

PgLease::PgLease(PgPool &pool, std::unique_ptr<PgConnection> connection)
    : pool_(pool), connection_(std::move(connection))
{
}

PgLease::~PgLease()
{
  pool_.release(std::move(connection_));
}

PgPool::PgPool(std::string address) : address_(std::move(address)) {}

PgPool::~PgPool() = default;

PgLease PgPool::acquire()
{
  {
    const std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      auto connection = std::move(idle_.back());
      idle_.pop_back();
      return PgLease(*this, std::move(connection));
    }
  }
  return PgLease(*this, std::make_unique<PgConnection>(address_));
}

void PgPool::dropIdle()
{
  std::vector<std::unique_ptr<PgConnection>> stale;
  {
    const std::lock_guard lock(mutex_);
    stale.swap(idle_);
  }
}

void PgPool::release(std::unique_ptr<PgConnection> connection)
{
  if (!connection || !connection->healthy()) return;
  const std::lock_guard lock(mutex_);
  idle_.push_back(std::move(connection));
}

}  // namespace tessivar::directory
