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
  threads_.reserve(threads);
  for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool()
{
  shutdown();
}

void WorkerPool::enqueue(std::function<void()> job)
{
  const std::lock_guard lock(mutex_);
  jobs_.push_back(std::move(job));
  // With every place taken nobody is woken: the next thread to finish its job takes this one.
  wakeOneIfNeeded();
}

void WorkerPool::wakeOneIfNeeded()
{
  if (!mayStart() || idle_.empty()) return;
  Idle *next = idle_.back();
  idle_.pop_back();
  next->woken = true;
  next->wake.notify_one();
}

void WorkerPool::shutdown()
{
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    for (Idle *idle : idle_) {
      idle->woken = true;
      idle->wake.notify_one();
    }
    idle_.clear();
  }
  for (std::thread &thread : threads_) thread.join();
}

void WorkerPool::work()
{
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!mayStart()) {
      // Stopping, the queue is left to the threads in a job: each takes the next when it ends.
      if (stopping_) return;
      Idle idle;
      idle_.push_back(&idle);
      idle.wake.wait(lock, [&] { return idle.woken; });
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
  const std::lock_guard lock(pool_->mutex_);
  --pool_->computing_;
  pool_->wakeOneIfNeeded();
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
