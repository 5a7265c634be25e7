#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tessivar::directory {

class Database;
class ConnectionPool;

// A reading connection on loan for one request; it goes back to the pool when the lease ends.
class ConnectionLease
{
 public:
  ConnectionLease(ConnectionPool &pool, std::unique_ptr<Database> db);
  ~ConnectionLease();
  ConnectionLease(const ConnectionLease &) = delete;
  ConnectionLease &operator=(const ConnectionLease &) = delete;
  Database &operator*() const { return *db_; }
  Database *operator->() const { return db_.get(); }

 private:
  ConnectionPool &pool_;
  std::unique_ptr<Database> db_;
};

// Read-only connections to one catalogue, opened on demand and reused, one per concurrent request.
// Under WAL every reader sees a consistent snapshot and none waits for another.
class ConnectionPool
{
 public:
  explicit ConnectionPool(std::string path);
  ~ConnectionPool();
  ConnectionLease acquire();

 private:
  friend class ConnectionLease;
  void release(std::unique_ptr<Database> db);

  std::string path_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Database>> idle_;
};

}  // namespace tessivar::directory
