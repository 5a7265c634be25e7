#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace tessivar::directory {

// Access-log lines gathered in memory and written to standard output in blocks: every second,
// whenever a block fills, and when the log closes. A request never waits for the terminal or pipe.
class AccessLog
{
 public:
  AccessLog();
  ~AccessLog();
  AccessLog(const AccessLog &) = delete;
  AccessLog &operator=(const AccessLog &) = delete;

  void write(std::string_view line);
  void flush();

 private:
  void flushLoop();

  std::mutex output_;  // keeps blocks in order; taken before mutex_
  std::mutex mutex_;   // guards pending_ and stopping_
  std::condition_variable wake_;
  std::string pending_;
  bool stopping_ = false;
  std::thread flusher_;
};

}  // namespace tessivar::directory
