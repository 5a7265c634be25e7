#include "server/access_log.h"

#include <inttypes.h>
#include <chrono>
#include <ctime>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxLoggedTarget = 300;
// Lines gathered before the writer is woken; it also wakes every second.
constexpr std::size_t blockBytes = 64 * 1024;
constexpr auto flushInterval = std::chrono::seconds(1);

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

AccessLog::AccessLog(std::FILE *out, std::size_t queueBytes)
    : out_(out), queueBytes_(queueBytes), writer_([this] { writeLoop(); })
{
}

AccessLog::~AccessLog()
{
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  writer_.join();
}

void AccessLog::write(std::string_view line)
{
  bool wake = false;
  {
    const std::lock_guard lock(mutex_);
    if (pending_.size() + line.size() > queueBytes_) {
      ++dropped_;
      return;
    }
    pending_ += line;
    wake = pending_.size() >= blockBytes;
  }
  if (wake) wake_.notify_one();
}

std::uint64_t AccessLog::dropped() const
{
  const std::lock_guard lock(mutex_);
  return dropped_;
}

void AccessLog::writeLoop()
{
  std::string block;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait_for(lock, flushInterval, [this] { return stopping_ || pending_.size() >= blockBytes; });
    block.swap(pending_);
    const bool last = stopping_;
    const std::uint64_t dropped = dropped_ - reported_;
    reported_ = dropped_;
    lock.unlock();
    if (!block.empty()) {
      std::fwrite(block.data(), 1, block.size(), out_);
      std::fflush(out_);
      block.clear();
    }
    if (dropped > 0)
      std::fprintf(stderr, "tessivar-directory: %" PRIu64 " access-log lines dropped: the log was not read\n",
                   dropped);
    lock.lock();
    if (last) return;
  }
}

}  // namespace tessivar::directory
