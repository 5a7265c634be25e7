#pragma once

#include <sys/resource.h>
#include <csignal>

namespace tessivar::test {

// While it lives, no file of the process may grow past `bytes`: a longer write fails as on a full
// disk (also for root, whom a read-only folder does not stop).
class FileSizeLimit
{
 public:
  explicit FileSizeLimit(rlim_t bytes) : signal_(std::signal(SIGXFSZ, SIG_IGN))
  {
    getrlimit(RLIMIT_FSIZE, &previous_);
    const rlimit limited{bytes, previous_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit()
  {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, signal_);
  }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

 private:
  void (*signal_)(int);
  rlimit previous_{};
};

}  // namespace tessivar::test
