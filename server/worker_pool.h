#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tessivar::directory {

// Threads that run jobs in the order they were queued, at most `computing` of them at once (0: as many
// as there are threads). A job that waits for something other than the processors (a client taking its
// answer, the writing connection, another search's work) says so with Waiting, and another job runs
// meanwhile. With the limit at about the number of processors, jobs wait in the queue rather than as
// threads competing for the processors, and a thread that finishes a job takes the next one itself
// instead of waking another. When one must be woken it is the one that went idle last, whose stack and
// caches are the warmest.
class WorkerPool
{
 public:
  WorkerPool(std::size_t threads, std::size_t computing);
  // Runs what is queued, then stops the threads.
  ~WorkerPool();
  WorkerPool(const WorkerPool &) = delete;
  WorkerPool &operator=(const WorkerPool &) = delete;

  void enqueue(std::function<void()> job);
  // Runs what is queued, then stops the threads; waits for them.
  void shutdown();

  // While one lives, the job running on this thread does not count as computing. Anywhere else (a
  // thread of no pool) it does nothing.
  class Waiting
  {
   public:
    Waiting();
    ~Waiting();
    Waiting(const Waiting &) = delete;
    Waiting &operator=(const Waiting &) = delete;

   private:
    WorkerPool *pool_;
  };

 private:
  struct Idle
  {
    std::condition_variable wake;
    bool woken = false;
  };

  void work();
  bool mayStart() const { return !jobs_.empty() && (limit_ == 0 || computing_ < limit_); }
  // Called with the mutex held.
  void wakeOneIfNeeded();

  std::mutex mutex_;
  std::vector<Idle *> idle_;  // the last to go idle at the back
  std::deque<std::function<void()>> jobs_;
  std::size_t limit_;
  std::size_t computing_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace tessivar::directory
