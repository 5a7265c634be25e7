#include "server/access_log.h"

#include <inttypes.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxLoggedTarget = 300;
// Lines gathered before the writer is woken; it also wakes every second.
constexpr std::size_t blockBytes = 64 * 1024;
constexpr auto flushInterval = std::chrono::seconds(1);
constexpr auto closeWait = std::chrono::seconds(2);

void appendEscaped(std::string &out, std::string_view text, std::size_t limit)
{
  const std::size_t start = out.size();
  for (const char c : text) {
    if (out.size() - start >= limit) {
      out += "...";
      return;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
      static constexpr char hex[] = "0123456789ABCDEF";
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 0xF];
    } else {
      out.push_back(c);
    }
  }
}

}  // namespace

std::string accessLogLine(std::string_view client, std::string_view method, std::string_view target,
                          int status, std::uint64_t bytes)
{
  char when[32];
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::strftime(when, sizeof when, "%d/%b/%Y:%H:%M:%S +0000", &utc);
  std::string line;
  appendEscaped(line, client.empty() ? "-" : client, 64);
  line += " - - [";
  line += when;
  line += "] \"";
  appendEscaped(line, method.empty() ? "-" : method, 32);
  if (!target.empty()) {
    line += ' ';
    appendEscaped(line, target, maxLoggedTarget);
  }
  line += "\" " + std::to_string(status) + ' ' + std::to_string(bytes) + '\n';
  return line;
}

struct AccessLog::Queue
{
  std::FILE *out;
  std::size_t limit;
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable finished;
  std::string pending;
  std::uint64_t dropped = 0;
  std::uint64_t reported = 0;
  bool stopping = false;
  bool done = false;

  void writeLoop();
};

void AccessLog::Queue::writeLoop()
{
  std::fflush(out);
  const int fd = fileno(out);
  std::string block;
  std::unique_lock lock(mutex);
  for (;;) {
    wake.wait_for(lock, flushInterval, [this] { return stopping || pending.size() >= blockBytes; });
    block.swap(pending);
    const bool last = stopping;
    const std::uint64_t newlyDropped = dropped - reported;
    reported = dropped;
    lock.unlock();
    // Written past stdio, so that nothing of it waits in a buffer that exit() would try to flush.
    for (std::size_t at = 0; at < block.size();) {
      const ssize_t wrote = ::write(fd, block.data() + at, block.size() - at);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) break;
      at += static_cast<std::size_t>(wrote);
    }
    block.clear();
    if (newlyDropped > 0)
      std::fprintf(stderr, "tessivar-directory: %" PRIu64 " access-log lines dropped: the log was not read\n",
                   newlyDropped);
    lock.lock();
    if (last) break;
  }
  done = true;
  finished.notify_all();
}

AccessLog::AccessLog(std::FILE *out, std::size_t queueBytes) : queue_(std::make_shared<Queue>())
{
  queue_->out = out;
  queue_->limit = queueBytes;
  std::thread([queue = queue_] { queue->writeLoop(); }).detach();
}

AccessLog::~AccessLog()
{
  std::unique_lock lock(queue_->mutex);
  queue_->stopping = true;
  queue_->wake.notify_all();
  if (!queue_->finished.wait_for(lock, closeWait, [this] { return queue_->done; }))
    std::fprintf(
        stderr,
        "tessivar-directory: the access log's output takes nothing; %zu bytes of it are lost and %" PRIu64
        " lines were dropped\n",
        queue_->pending.size(), queue_->dropped - queue_->reported);
}

void AccessLog::write(std::string_view line)
{
  bool wake = false;
  {
    const std::lock_guard lock(queue_->mutex);
    if (queue_->pending.size() + line.size() > queue_->limit) {
      ++queue_->dropped;
      return;
    }
    queue_->pending += line;
    wake = queue_->pending.size() >= blockBytes;
  }
  if (wake) queue_->wake.notify_one();
}

std::uint64_t AccessLog::dropped() const
{
  const std::lock_guard lock(queue_->mutex);
  return queue_->dropped;
}

}  // namespace tessivar::directory
