#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace tessivar::directory {

// One access-log line in common log format. Every field taken from the request (client, method,
// target) has its control bytes, non-ASCII bytes, quotes and backslashes escaped as \xHH; the target
// is cut at 300 characters.
std::string accessLogLine(std::string_view client, std::string_view method, std::string_view target,
                          int status, std::uint64_t bytes);

// Access-log lines written to a stream by a thread of their own, so that a request never waits for
// the terminal or pipe. Lines wait in a bounded queue; when the stream takes nothing and the queue is
// full, further lines are dropped and counted, and the count is reported on standard error once the
// stream takes lines again, and when the log closes. Closing waits at most 2 s for a stream that takes
// nothing, then leaves its thread behind.
class AccessLog
{
 public:
  explicit AccessLog(std::FILE *out = stdout, std::size_t queueBytes = 1 << 20);
  // Writes what is queued, then stops the thread.
  ~AccessLog();
  AccessLog(const AccessLog &) = delete;
  AccessLog &operator=(const AccessLog &) = delete;

  void write(std::string_view line);
  std::uint64_t dropped() const;

 private:
  struct Queue;
  std::shared_ptr<Queue> queue_;  // shared with the writing thread, which may outlive the log
};

}  // namespace tessivar::directory
