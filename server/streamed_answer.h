#pragma once

#include "server/connection_watch.h"
#include "server/result_page.h"

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct MHD_Connection;

namespace tessivar::directory {

// An answer made by a function that pushes its parts into a sink (list all), handed to the HTTP
// library as its client takes it. The function runs on a thread of its own and waits while a bounded
// buffer is full, so a slow client holds one parked thread and that buffer, never a worker; the
// connection is suspended while the buffer is empty, so nothing spins.
class StreamedAnswer
{
 public:
  using Produce = std::function<void(const ChunkSink &)>;

  // watched (may be null) is told how much its client has taken.
  StreamedAnswer(MHD_Connection *connection, ConnectionWatch::Connection *watched, Produce produce);
  // Stops the function at its next part and waits for it.
  ~StreamedAnswer();
  StreamedAnswer(const StreamedAnswer &) = delete;
  StreamedAnswer &operator=(const StreamedAnswer &) = delete;

  // The library's content reader: up to max bytes into out, 0 after suspending the connection until
  // more is made, or the end (or failure) of the stream.
  ssize_t read(char *out, std::size_t max);
  // Waits until the function has made more than bytes or has ended; true, with the whole answer in
  // whole, when it ended within them. A short answer then goes out in one piece, as one that is not
  // made in parts would.
  bool takeWholeIfShort(std::size_t bytes, std::string &whole);
  // Ends the function at its next part (shutting down).
  void cancel();
  // The function has ended and the connection is not suspended.
  bool finished();
  // Bytes handed to the library so far.
  std::uint64_t taken() const { return taken_.load(std::memory_order_relaxed); }

 private:
  void run(const Produce &produce);

  MHD_Connection *connection_;
  ConnectionWatch::Connection *watched_;
  std::mutex mutex_;
  std::condition_variable room_;
  std::condition_variable made_;
  std::string buffer_;
  std::size_t offset_ = 0;  // of the buffer's first byte not yet taken
  std::atomic<std::uint64_t> taken_{0};
  bool done_ = false;
  bool failed_ = false;
  bool cancelled_ = false;
  bool suspended_ = false;
  std::thread producer_;
};

}  // namespace tessivar::directory
