#include "server/access_log.h"

#include <chrono>
#include <cstdio>

namespace tessivar::directory {

namespace {

constexpr std::size_t blockBytes = 64 * 1024;
constexpr auto flushInterval = std::chrono::seconds(1);

}  // namespace

AccessLog::AccessLog() : flusher_([this] { flushLoop(); }) {}

AccessLog::~AccessLog()
{
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  flusher_.join();
  flush();
}

void AccessLog::write(std::string_view line)
{
  bool full = false;
  {
    const std::lock_guard lock(mutex_);
    pending_ += line;
    full = pending_.size() >= blockBytes;
  }
  if (full) flush();
}

void AccessLog::flush()
{
  const std::lock_guard order(output_);
  std::string block;
  {
    const std::lock_guard lock(mutex_);
    block.swap(pending_);
  }
  if (block.empty()) return;
  std::fwrite(block.data(), 1, block.size(), stdout);
  std::fflush(stdout);
}

void AccessLog::flushLoop()
{
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    wake_.wait_for(lock, flushInterval, [this] { return stopping_; });
    lock.unlock();
    flush();
    lock.lock();
  }
}

}  // namespace tessivar::directory
