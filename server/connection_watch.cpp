#include "server/connection_watch.h"

#include "server/client_limits.h"

#include <sys/socket.h>

#include <string_view>

namespace tessivar::directory {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto sweepInterval = std::chrono::milliseconds(200);

// A whole answer in one send: the socket of a connection that has just been accepted, or that waits
// for a request, has room for it.
void sendRefusal(int fd, int status)
{
  const std::string_view text = status == 503 ? "503 Service Unavailable" : "408 Request Timeout";
  const std::string body = "<HTML><HEAD><TITLE>" + std::string(text) + "</TITLE></HEAD><BODY><H1>" +
                           std::string(text) + "</H1></BODY></HTML>\r\n";
  const std::string answer =
      "HTTP/1.1 " + std::string(text) +
      "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
      "\r\nConnection: close\r\n\r\n" + body;
  (void)!::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  ::shutdown(fd, SHUT_WR);
}

}  // namespace

struct ConnectionWatch::Connection
{
  enum class State { Awaiting, Working, Answering, Refused };
  int fd = -1;
  std::string client;
  bool counted = false;
  State state = State::Awaiting;
  Clock::time_point since;        // Awaiting: when the wait began; Refused: when the refusal was sent
  Clock::duration allowed{};      // Awaiting: for the whole request
  Clock::time_point windowStart;  // Answering
  std::uint64_t windowBytes = 0;
  std::atomic<std::uint64_t> bytes{0};
};

ConnectionWatch::ConnectionWatch(WatchLimits limits, RefusalLog log)
    : limits_(std::move(limits)), log_(std::move(log)), sweeper_([this] { sweep(); })
{
}

ConnectionWatch::~ConnectionWatch()
{
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  sweeper_.join();
}

ConnectionWatch::Connection *ConnectionWatch::opened(int fd, const std::string &address)
{
  auto *connection = new Connection;
  connection->fd = fd;
  connection->client = clientKey(address);
  const auto now = Clock::now();
  connection->since = now;
  connection->allowed = limits_.request;
  const std::lock_guard lock(mutex_);
  open_.insert(connection);
  if (limits_.perClient > 0 && address != limits_.trustedProxy) {
    int &count = perClient_[connection->client];
    if (count >= limits_.perClient) {
      refuse(*connection, 503, now);
    } else {
      ++count;
      connection->counted = true;
    }
  }
  return connection;
}

void ConnectionWatch::closed(Connection *connection)
{
  {
    const std::lock_guard lock(mutex_);
    open_.erase(connection);
    if (connection->counted) {
      const auto found = perClient_.find(connection->client);
      if (--found->second == 0) perClient_.erase(found);
    }
  }
  delete connection;
}

bool ConnectionWatch::requestArrived(Connection *connection)
{
  const std::lock_guard lock(mutex_);
  if (connection->state == Connection::State::Refused) return false;
  connection->state = Connection::State::Working;
  return true;
}

void ConnectionWatch::answerStarted(Connection *connection, std::uint64_t bytes)
{
  const std::lock_guard lock(mutex_);
  if (connection->state == Connection::State::Refused) return;
  connection->state = Connection::State::Answering;
  connection->windowStart = Clock::now();
  connection->windowBytes = 0;
  connection->bytes.store(bytes, std::memory_order_relaxed);
}

void ConnectionWatch::answerProgress(Connection *connection, std::uint64_t bytes)
{
  connection->bytes.store(bytes, std::memory_order_relaxed);
}

void ConnectionWatch::answerDone(Connection *connection)
{
  const std::lock_guard lock(mutex_);
  if (connection->state == Connection::State::Refused) return;
  connection->state = Connection::State::Awaiting;
  connection->since = Clock::now();
  connection->allowed = limits_.keepAlive + limits_.request;
}

void ConnectionWatch::refuse(Connection &connection, int status, Clock::time_point now)
{
  sendRefusal(connection.fd, status);
  connection.state = Connection::State::Refused;
  connection.since = now;
  // A connection that is closing no longer counts against its client.
  if (connection.counted) {
    const auto found = perClient_.find(connection.client);
    if (--found->second == 0) perClient_.erase(found);
    connection.counted = false;
  }
  if (log_) log_(connection.client, status);
}

void ConnectionWatch::sweep()
{
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    wake_.wait_for(lock, sweepInterval, [this] { return stopping_; });
    const auto now = Clock::now();
    for (Connection *connection : open_) {
      switch (connection->state) {
        case Connection::State::Awaiting:
          if (now - connection->since > connection->allowed) refuse(*connection, 408, now);
          break;
        case Connection::State::Answering:
          if (now - connection->windowStart >= limits_.window) {
            const std::uint64_t bytes = connection->bytes.load(std::memory_order_relaxed);
            if (bytes - connection->windowBytes < limits_.floorBytes) {
              // Too slow a reader: cut off, the unsent rest of its answer dropped (a reset when the
              // library closes the socket), not left to the kernel to deliver at its pace.
              const linger reset{1, 0};
              ::setsockopt(connection->fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
              ::shutdown(connection->fd, SHUT_RDWR);
              connection->state = Connection::State::Refused;
              connection->since = now - limits_.linger;
            } else {
              connection->windowStart = now;
              connection->windowBytes = bytes;
            }
          }
          break;
        case Connection::State::Refused:
          if (now - connection->since >= limits_.linger) ::shutdown(connection->fd, SHUT_RDWR);
          break;
        case Connection::State::Working:
          break;
      }
    }
  }
}

}  // namespace tessivar::directory
