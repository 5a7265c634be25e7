#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace tessivar::directory {

// Connections to one database, opened on demand and reused, one per request under way. A connection
// on loan goes back to the pool when its lease ends, unless it is no longer fit for reuse
// (Connection::reusable(): the server restarted, a transaction was left open), in which case it closes.
template <typename Connection>
class SessionPool
{
 public:
  using Open = std::function<std::unique_ptr<Connection>()>;

  class Lease
  {
   public:
    Lease(SessionPool &pool, std::unique_ptr<Connection> connection)
        : pool_(pool), connection_(std::move(connection))
    {
    }
    ~Lease() { pool_.release(std::move(connection_)); }
    Lease(const Lease &) = delete;
    Lease &operator=(const Lease &) = delete;
    Connection &operator*() const { return *connection_; }
    Connection *operator->() const { return connection_.get(); }

   private:
    SessionPool &pool_;
    std::unique_ptr<Connection> connection_;
  };

  explicit SessionPool(Open open) : open_(std::move(open)) {}

  Lease acquire()
  {
    {
      const std::lock_guard lock(mutex_);
      if (!idle_.empty()) {
        auto connection = std::move(idle_.back());
        idle_.pop_back();
        return Lease(*this, std::move(connection));
      }
    }
    return Lease(*this, open_());
  }

  // Closes the idle connections (after the server was lost: they are useless too).
  void dropIdle()
  {
    std::vector<std::unique_ptr<Connection>> stale;
    const std::lock_guard lock(mutex_);
    stale.swap(idle_);
  }

 private:
  void release(std::unique_ptr<Connection> connection)
  {
    if (!connection || !connection->reusable()) return;
    const std::lock_guard lock(mutex_);
    idle_.push_back(std::move(connection));
  }

  Open open_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace tessivar::directory
