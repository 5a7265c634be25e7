#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace tessivar::directory {

struct WatchLimits
{
  std::chrono::milliseconds request{10000};   // to receive a whole request
  std::chrono::milliseconds keepAlive{5000};  // idle between requests, added after an answer
  std::chrono::milliseconds window{30000};    // an answer must advance by floorBytes in each window
  std::uint64_t floorBytes = 30 * 1024;       // about 1 KB/s
  std::chrono::milliseconds linger{2000};     // reading what is left after a refusal, before closing
  int perClient = 16;                         // open connections per client; 0 = no cap
  std::string trustedProxy;                   // its connections are not counted
};

// What the HTTP library does not bound on its own: the connections each client holds, the time a
// whole request may take (the library counts time without traffic only, so a client that trickles
// its head a byte at a time would stay for ever) and the pace at which a client takes its answer.
// A connection over a limit is refused in place: a short answer (503 or 408) is written to its socket,
// which is shut for writing and, after the linger time, for reading too, so that the library sees it
// end and closes it. Safe from any thread.
class ConnectionWatch
{
 public:
  struct Connection;
  // A refusal the watch made itself, for the access log.
  using RefusalLog = std::function<void(const std::string &client, int status)>;

  ConnectionWatch(WatchLimits limits, RefusalLog log);
  ~ConnectionWatch();
  ConnectionWatch(const ConnectionWatch &) = delete;
  ConnectionWatch &operator=(const ConnectionWatch &) = delete;

  // A connection accepted from address: counted for its client and refused when over the cap.
  Connection *opened(int fd, const std::string &address);
  // The library has closed it (its socket is still open).
  void closed(Connection *connection);
  // A whole head arrived; false when its time ran out first (the connection is being refused).
  bool requestArrived(Connection *connection);
  // An answer began: bytes of it the library has already been given (all of a ready page).
  void answerStarted(Connection *connection, std::uint64_t bytes);
  // The library took more of a streamed answer.
  static void answerProgress(Connection *connection, std::uint64_t bytes);
  // The answer is sent: the next request's time begins.
  void answerDone(Connection *connection);

 private:
  void sweep();
  void refuse(Connection &connection, int status, std::chrono::steady_clock::time_point now);

  WatchLimits limits_;
  RefusalLog log_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::unordered_set<Connection *> open_;
  std::unordered_map<std::string, int> perClient_;
  bool stopping_ = false;
  std::thread sweeper_;
};

}  // namespace tessivar::directory
