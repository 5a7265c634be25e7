#include "server/worker_pool.h"

#include <algorithm>

namespace tessivar::directory {

namespace {

// The pool of the job this thread runs, while it counts as computing.
thread_local WorkerPool *computingIn = nullptr;

}  // namespace

WorkerPool::WorkerPool(std::size_t threads, std::size_t computing) : limit_(computing)
{
  threads = std::max<std::size_t>(1, threads);
  sleepers_.reserve(threads);
  threads_.reserve(threads);
  for (std::size_t i = 0; i < threads; ++i) {
    sleepers_.push_back(std::make_unique<Sleeper>());
    threads_.emplace_back([this, sleeper = sleepers_.back().get()] { work(*sleeper); });
  }
}

WorkerPool::~WorkerPool()
{
  shutdown();
}

void WorkerPool::enqueue(std::function<void()> job)
{
  Sleeper *woken = nullptr;
  {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
    // With every place taken nobody is woken: the next thread to finish its job takes this one.
    woken = sleeperToWake();
  }
  // Woken once the lock is free, so that it does not wake only to wait for the lock.
  if (woken) woken->wake.release();
}

WorkerPool::Sleeper *WorkerPool::sleeperToWake()
{
  if (!mayStart() || asleep_.empty()) return nullptr;
  Sleeper *next = asleep_.back();
  asleep_.pop_back();
  return next;
}

void WorkerPool::shutdown()
{
  std::vector<Sleeper *> woken;
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    woken.swap(asleep_);
  }
  for (Sleeper *sleeper : woken) sleeper->wake.release();
  for (std::thread &thread : threads_) thread.join();
}

void WorkerPool::work(Sleeper &sleeper)
{
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!mayStart()) {
      // Stopping, a thread leaves once the queue is empty, and takes those asleep with it. Not
      // before: a job under way may be waiting for one still queued.
      if (stopping_ && jobs_.empty()) {
        std::vector<Sleeper *> woken;
        woken.swap(asleep_);
        lock.unlock();
        for (Sleeper *other : woken) other->wake.release();
        return;
      }
      asleep_.push_back(&sleeper);
      lock.unlock();
      sleeper.wake.acquire();  // released by whoever took it off the list
      lock.lock();
      continue;
    }
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    ++computing_;
    lock.unlock();
    computingIn = this;
    job();
    computingIn = nullptr;
    job = nullptr;  // what it holds goes before the next job starts
    lock.lock();
    --computing_;
  }
}

WorkerPool::Waiting::Waiting() : pool_(computingIn)
{
  if (!pool_) return;
  computingIn = nullptr;  // a wait inside a wait changes nothing
  Sleeper *woken = nullptr;
  {
    const std::lock_guard lock(pool_->mutex_);
    --pool_->computing_;
    woken = pool_->sleeperToWake();
  }
  if (woken) woken->wake.release();
}

WorkerPool::Waiting::~Waiting()
{
  if (!pool_) return;
  // Back at once, even past the limit: the job was already under way, and ends sooner for it.
  const std::lock_guard lock(pool_->mutex_);
  ++pool_->computing_;
  computingIn = pool_;
}

}  // namespace tessivar::directory
