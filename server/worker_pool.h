#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>
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
  // One per thread, for as long as the pool: released once by whoever takes it off the list asleep_.
  struct Sleeper
  {
    std::binary_semaphore wake{0};
  };

  void work(Sleeper &sleeper);
  bool mayStart() const { return !jobs_.empty() && (limit_ == 0 || computing_ < limit_); }
  // With the mutex held: the thread to wake for the first job queued, taken off asleep_, if any.
  Sleeper *sleeperToWake();

  std::mutex mutex_;
  std::vector<std::unique_ptr<Sleeper>> sleepers_;
  std::vector<Sleeper *> asleep_;  // the last to fall asleep at the back
  std::deque<std::function<void()>> jobs_;
  std::size_t limit_;
  std::size_t computing_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace tessivar::directory
