#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tessivar::directory {

class PgConnection;
class PgPool;

// A connection on loan for one piece of work; it goes back to the pool when the lease ends, unless
// it broke (server restarted, transaction left open), in which case it is closed.
class PgLease
{
 public:
  PgLease(PgPool &pool, std::unique_ptr<PgConnection> connection);
  ~PgLease();
  PgLease(const PgLease &) = delete;
  PgLease &operator=(const PgLease &) = delete;
  PgConnection &operator*() const { return *connection_; }
  PgConnection *operator->() const { return connection_.get(); }

 private:
  PgPool &pool_;
  std::unique_ptr<PgConnection> connection_;
};

// Connections to one PostgreSQL database, opened on demand and reused, one per concurrent request.
class PgPool
{
 public:
  explicit PgPool(std::string address);
  ~PgPool();
  PgLease acquire();
  // Closes the idle connections (after the server was lost: they are useless too).
  void dropIdle();

 private:
  friend class PgLease;
  void release(std::unique_ptr<PgConnection> connection);

  std::string address_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<PgConnection>> idle_;
};

}  // namespace tessivar::directory
