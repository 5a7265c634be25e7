#include "server/connection_loop.h"

#include "server/client_limits.h"
#include "server/worker_pool.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace tessivar::directory {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t listenerId = 0;
constexpr std::uint64_t wakeId = 1;
constexpr std::size_t readBlock = 16 * 1024;
constexpr std::size_t maxLingerBytes = 256 * 1024;
constexpr std::size_t maxLoggedLine = 300;
constexpr int acceptsPerTurn = 64;
constexpr auto sweepInterval = std::chrono::milliseconds(100);
constexpr rlim_t maxConnectionsCap = 16384;
// A worker making an answer in parts waits while this much of it is still unsent.
constexpr std::size_t maxUnsentBytes = 1024 * 1024;

std::string numericAddress(const sockaddr_storage &address, socklen_t length, int &port)
{
  char host[NI_MAXHOST] = {};
  char service[NI_MAXSERV] = {};
  if (getnameinfo(reinterpret_cast<const sockaddr *>(&address), length, host, sizeof host, service,
                  sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) != 0)
    return {};
  port = std::atoi(service);
  return host;
}

bool isAddress(const std::string &text)
{
  in6_addr any{};
  return inet_pton(AF_INET, text.c_str(), &any) == 1 || inet_pton(AF_INET6, text.c_str(), &any) == 1;
}

// One spelling of an address, so that "::ffff:127.0.0.1" and "127.0.0.1" compare equal.
std::string canonical(const std::string &text)
{
  in6_addr v6{};
  if (inet_pton(AF_INET6, text.c_str(), &v6) != 1) return text;
  char out[INET6_ADDRSTRLEN] = {};
  if (IN6_IS_ADDR_V4MAPPED(&v6)) return inet_ntop(AF_INET, &v6.s6_addr[12], out, sizeof out);
  return inet_ntop(AF_INET6, &v6, out, sizeof out);
}

const char *reason(int status)
{
  switch (status) {
    case 400:
      return "Bad Request";
    case 408:
      return "Request Timeout";
    case 413:
      return "Payload Too Large";
    case 414:
      return "URI Too Long";
    case 431:
      return "Request Header Fields Too Large";
    case 501:
      return "Not Implemented";
    case 503:
      return "Service Unavailable";
    default:
      return "Server Error";
  }
}

// A whole answer of the loop's own, after which the connection closes.
std::string refusalAnswer(int status, std::size_t &bodyBytes)
{
  const std::string text = std::to_string(status) + " " + reason(status);
  const std::string body =
      "<HTML><HEAD><TITLE>" + text + "</TITLE></HEAD><BODY><H1>" + text + "</H1></BODY></HTML>\r\n";
  bodyBytes = body.size();
  return "HTTP/1.1 " + text +
         "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

// Shared by the worker making an answer in parts and the loop sending them.
struct Feed
{
  std::mutex mutex;
  std::condition_variable taken;
  std::size_t unsent = 0;  // bytes handed over, not yet sent
  bool gone = false;       // the connection has closed
};

struct Connection
{
  enum class Phase { Waiting, Busy, Writing, Closing };

  std::uint64_t id = 0;
  int fd = -1;
  std::string peer;
  int peerPort = 0;
  std::string local;
  int localPort = 0;
  std::string counted;  // its key in the connection counter; empty when not counted
  std::string input;
  RequestFramer framer;
  std::string output;
  std::size_t written = 0;
  std::shared_ptr<Feed> feed;  // of the answer under way
  bool partial = false;        // output holds part of an answer still being made
  Phase phase = Phase::Waiting;
  Clock::time_point deadline;
  bool started = false;   // a byte of the next request has come
  bool peerDone = false;  // the client sends nothing more
  bool closeAfter = false;
  bool abandoned = false;  // gone while busy: closed when its worker posts
  int served = 0;
  std::size_t lingered = 0;
};

}  // namespace

struct ConnectionLoop::Impl
{
  Impl(ConnectionLimits limits, int workers, std::size_t computing, Handler handler, RefusalLog log)
      : limits(std::move(limits)),
        workers(std::max(1, workers)),
        computing(computing),
        handler(std::move(handler)),
        log(std::move(log)),
        counter(this->limits.perClient)
  {
    wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    // Every connection is a file descriptor: take what the system allows, and keep some for the catalogue.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
      if (files.rlim_cur < std::min<rlim_t>(files.rlim_max, 2 * maxConnectionsCap)) {
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, 2 * maxConnectionsCap);
        setrlimit(RLIMIT_NOFILE, &files);
        getrlimit(RLIMIT_NOFILE, &files);
      }
      const rlim_t reserve = 64 + 4 * static_cast<rlim_t>(this->workers);
      maxConnections =
          files.rlim_cur > reserve + 16 ? std::min(files.rlim_cur - reserve, maxConnectionsCap) : 16;
    }
    this->limits.trustedProxy = canonical(this->limits.trustedProxy);
  }

  ~Impl()
  {
    if (listener >= 0) ::close(listener);
    if (epoll >= 0) ::close(epoll);
    if (wake >= 0) ::close(wake);
  }

  void watch(const Connection &connection, std::uint32_t events, int operation = EPOLL_CTL_MOD) const
  {
    epoll_event event{};
    event.events = events;
    event.data.u64 = connection.id;
    epoll_ctl(epoll, operation, connection.fd, &event);
  }

  static void release(Feed &feed)
  {
    const std::lock_guard lock(feed.mutex);
    feed.gone = true;
    feed.taken.notify_all();
  }

  void close(Connection &connection)
  {
    if (connection.feed) release(*connection.feed);
    ::close(connection.fd);  // also leaves the epoll set
    if (!connection.counted.empty()) counter.release(connection.counted);
    connections.erase(connection.id);
  }

  void acceptAll()
  {
    for (int i = 0; i < acceptsPerTurn; ++i) {
      sockaddr_storage address{};
      socklen_t length = sizeof address;
      const int fd =
          accept4(listener, reinterpret_cast<sockaddr *>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) return;
      if (connections.size() >= maxConnections) {
        ::close(fd);
        continue;
      }
      int yes = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
      auto connection = std::make_unique<Connection>();
      connection->id = nextId++;
      connection->fd = fd;
      connection->framer = RequestFramer(limits.framing);
      connection->peer = numericAddress(address, length, connection->peerPort);
      sockaddr_storage local{};
      socklen_t localLength = sizeof local;
      if (getsockname(fd, reinterpret_cast<sockaddr *>(&local), &localLength) == 0)
        connection->local = numericAddress(local, localLength, connection->localPort);
      connection->deadline = Clock::now() + limits.request;
      Connection &added = *connection;
      connections.emplace(added.id, std::move(connection));
      watch(added, EPOLLIN, EPOLL_CTL_ADD);

      if (fromTrustedProxy(added)) continue;  // the proxy keeps its own per-client limits
      const std::string key = clientKey(added.peer);
      if (!counter.admit(key)) {
        refuse(added, 503);
        continue;
      }
      added.counted = key;
    }
  }

  bool fromTrustedProxy(const Connection &connection) const
  {
    return !limits.trustedProxy.empty() && canonical(connection.peer) == limits.trustedProxy;
  }

  void readFrom(Connection &connection)
  {
    char block[readBlock];
    const ssize_t got = recv(connection.fd, block, sizeof block, 0);
    if (got < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) close(connection);
      return;
    }
    if (connection.phase == Connection::Phase::Closing) {
      connection.lingered += static_cast<std::size_t>(got);
      if (got == 0 || connection.lingered > maxLingerBytes) close(connection);
      return;
    }
    if (got == 0) {
      connection.peerDone = true;
    } else {
      connection.input.append(block, static_cast<std::size_t>(got));
      if (!connection.started) {
        connection.started = true;
        if (connection.served > 0) connection.deadline = Clock::now() + limits.request;
      }
    }
    frame(connection);
  }

  // Looks for a whole request in what a waiting connection has received.
  void frame(Connection &connection)
  {
    const Framing framing =
        connection.input.empty() ? Framing{} : connection.framer.examine(connection.input);
    if (framing.state == Framing::State::Complete) {
      dispatch(connection, framing);
    } else if (framing.state == Framing::State::Refused) {
      refuse(connection, framing.status);
    } else if (connection.peerDone) {
      close(connection);  // ended before its request did
    }
  }

  void dispatch(Connection &connection, const Framing &framing)
  {
    ReceivedRequest request;
    request.bytes = connection.input.substr(0, framing.length);
    connection.input.erase(0, framing.length);
    connection.framer.reset();
    request.client =
        fromTrustedProxy(connection) && isAddress(framing.realIp) ? framing.realIp : connection.peer;
    request.clientPort = connection.peerPort;
    request.local = connection.local;
    request.localPort = connection.localPort;
    request.last = connection.peerDone || limits.keepAlive.count() <= 0 ||
                   connection.served + 1 >= limits.requestsPerConnection || stopping;
    connection.phase = Connection::Phase::Busy;
    connection.feed = std::make_shared<Feed>();
    watch(connection, 0);
    // With nothing after this request yet, its worker may send the whole answer itself and watch for
    // the next request, sparing this thread a wake-up (see sendHere).
    const bool mayFinish = connection.input.empty() && !request.last;
    pool->enqueue([this, id = connection.id, fd = connection.fd, mayFinish, feed = connection.feed,
                   request = std::move(request)] {
      bool sentPart = false;
      const AnswerPart part = [&](std::string bytes) {
        {
          std::unique_lock lock(feed->mutex);
          const auto mayGoOn = [&] { return feed->gone || feed->unsent < maxUnsentBytes; };
          if (!mayGoOn()) {
            const WorkerPool::Waiting waiting;  // for the client
            if (!feed->taken.wait_for(lock, limits.answer, mayGoOn)) feed->gone = true;
          }
          if (feed->gone) return false;
          feed->unsent += bytes.size();
        }
        sentPart = true;
        post(id, {std::move(bytes), false}, true);
        return true;
      };
      Answer answer;
      try {
        answer = handler(request, part);
      } catch (const std::exception &) {
        std::size_t bodyBytes = 0;
        // After a part has gone out no other answer can follow: the connection just closes.
        answer = {sentPart ? std::string() : refusalAnswer(500, bodyBytes), true};
      }
      answer.close = answer.close || request.last;
      if (mayFinish && !sentPart && !answer.close && sendHere(id, fd, answer.bytes)) return;
      post(id, std::move(answer), false);
    });
  }

  // From a worker, for a whole answer after which the connection waits for its next request: sends as
  // much as the socket takes at once. When that is all of it, the loop is told without being woken
  // (it learns at its next turn, at the latest when the next request comes) and the connection is
  // watched for that request again. Otherwise bytes keeps what is left for the loop to send. The loop
  // closes a busy connection's descriptor only once its worker has posted, so it is this connection's.
  bool sendHere(std::uint64_t id, int fd, std::string &bytes)
  {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t now = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (now < 0 && errno == EINTR) continue;
      if (now <= 0) break;
      sent += static_cast<std::size_t>(now);
    }
    if (sent < bytes.size()) {
      bytes.erase(0, sent);
      return false;
    }
    // Posted before the connection is watched, and both under the lock, so that the loop, once it has
    // an event for the next request, finds the news of this one by taking the lock.
    const std::lock_guard lock(doneMutex);
    done.push_back({id, {}, false, true});
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = id;
    epoll_ctl(epoll, EPOLL_CTL_MOD, fd, &event);
    return true;
  }

  // From a worker: an answer, or part of one, for the loop to send.
  void post(std::uint64_t id, Answer answer, bool partial)
  {
    {
      const std::lock_guard lock(doneMutex);
      done.push_back({id, std::move(answer), partial, false});
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wake, &one, sizeof one);
  }

  void refuse(Connection &connection, int status)
  {
    Refusal refusal;
    refusal.client = connection.peer;
    refusal.status = status;
    refusal.requestLine = connection.input.substr(0, std::min(connection.input.find("\r\n"), maxLoggedLine));
    connection.input.clear();
    startWriting(connection, refusalAnswer(status, refusal.bodyBytes), true);
    if (log) log(refusal);
  }

  void answered()
  {
    std::vector<Posted> finished;
    {
      const std::lock_guard lock(doneMutex);
      finished.swap(done);
    }
    for (auto &posted : finished) {
      const auto found = connections.find(posted.id);
      if (found == connections.end()) continue;  // the client went away meanwhile
      Connection &connection = *found->second;
      if (connection.abandoned) {
        close(connection);  // its worker is done with the descriptor
        continue;
      }
      if (!posted.partial) {
        ++connection.served;
        connection.feed.reset();
      }
      if (posted.sent) {
        waitForNext(connection, false);  // its worker watches it already
      } else if (connection.phase == Connection::Phase::Writing && connection.partial) {
        // The next part (or the rest) of the answer being sent.
        connection.output.erase(0, connection.written);
        connection.output += posted.answer.bytes;
        connection.written = 0;
        connection.partial = posted.partial;
        connection.closeAfter = posted.answer.close;
        connection.deadline = Clock::now() + limits.answer;
        writeTo(connection);
      } else {
        startWriting(connection, std::move(posted.answer.bytes), posted.answer.close, posted.partial);
      }
    }
  }

  void startWriting(Connection &connection, std::string output, bool closeAfter, bool partial = false)
  {
    connection.output = std::move(output);
    connection.written = 0;
    connection.closeAfter = closeAfter;
    connection.partial = partial;
    connection.phase = Connection::Phase::Writing;
    connection.deadline = Clock::now() + limits.answer;
    writeTo(connection);
  }

  void writeTo(Connection &connection)
  {
    std::size_t sentNow = 0;
    const auto taken = [&] {
      // A worker making this answer may go on; the client has its time limit again for what follows.
      if (!connection.feed || sentNow == 0) return;
      connection.deadline = Clock::now() + limits.answer;
      const std::lock_guard lock(connection.feed->mutex);
      connection.feed->unsent -= std::min(connection.feed->unsent, sentNow);
      connection.feed->taken.notify_all();
    };
    while (connection.written < connection.output.size()) {
      const ssize_t sent = send(connection.fd, connection.output.data() + connection.written,
                                connection.output.size() - connection.written, MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
          taken();
          watch(connection, EPOLLOUT);
          return;
        }
        close(connection);
        return;
      }
      connection.written += static_cast<std::size_t>(sent);
      sentNow += static_cast<std::size_t>(sent);
    }
    taken();
    if (connection.partial) {
      // All sent so far; the next part comes from the worker.
      connection.output.clear();
      connection.written = 0;
      watch(connection, 0);
      return;
    }
    std::string().swap(connection.output);
    if (connection.closeAfter) {
      startClosing(connection);
      return;
    }
    waitForNext(connection);
  }

  // The next request: perhaps already here (pipelined), else wait for it.
  void waitForNext(Connection &connection, bool startWatching = true)
  {
    connection.phase = Connection::Phase::Waiting;
    connection.started = !connection.input.empty();
    connection.deadline = Clock::now() + (connection.started ? limits.request : limits.keepAlive);
    if (startWatching) watch(connection, EPOLLIN);
    if (connection.started || connection.peerDone) frame(connection);
  }

  // Ends sending and reads what the client still sends for a moment, so that closing with unread bytes
  // does not reset the connection before the client has read the answer.
  void startClosing(Connection &connection)
  {
    shutdown(connection.fd, SHUT_WR);
    // Done with as far as its client is concerned: a client that opens its next connection at once is not
    // refused for this one (lingering is bounded by time and by the count of all connections).
    if (!connection.counted.empty()) counter.release(connection.counted);
    connection.counted.clear();
    if (connection.peerDone) {
      close(connection);
      return;
    }
    connection.phase = Connection::Phase::Closing;
    connection.deadline = Clock::now() + limits.linger;
    watch(connection, EPOLLIN);
  }

  void onEvent(std::uint64_t id, std::uint32_t events)
  {
    auto found = connections.find(id);
    if (found == connections.end()) return;
    if (found->second->phase == Connection::Phase::Busy) {
      // Its worker may have sent the answer and be watching for the next request: that news first.
      answered();
      found = connections.find(id);
      if (found == connections.end()) return;
    }
    Connection &connection = *found->second;
    switch (connection.phase) {
      case Connection::Phase::Busy:
        // Reported whether asked for or not: the client is gone, its answer is dropped when it comes.
        // The descriptor stays open until then (its worker may still write to it), unwatched.
        if ((events & (EPOLLERR | EPOLLHUP)) && !connection.abandoned) {
          connection.abandoned = true;
          epoll_ctl(epoll, EPOLL_CTL_DEL, connection.fd, nullptr);
          if (connection.feed) release(*connection.feed);
        }
        break;
      case Connection::Phase::Writing:
        if ((events & (EPOLLERR | EPOLLHUP)) && connection.written == connection.output.size())
          close(connection);  // gone while the next part of its answer was being made
        else
          writeTo(connection);
        break;
      case Connection::Phase::Waiting:
      case Connection::Phase::Closing:
        if (events & EPOLLERR)
          close(connection);
        else
          readFrom(connection);
        break;
    }
  }

  void sweep(Clock::time_point now)
  {
    std::vector<std::uint64_t> expired;
    for (const auto &[id, connection] : connections) {
      if (connection->phase != Connection::Phase::Busy && connection->deadline <= now) expired.push_back(id);
    }
    for (const std::uint64_t id : expired) {
      Connection &connection = *connections.at(id);
      if (connection.phase == Connection::Phase::Waiting && !connection.input.empty())
        refuse(connection, 408);
      else
        close(connection);
    }
  }

  ConnectionLimits limits;
  int workers;
  std::size_t computing;
  Handler handler;
  RefusalLog log;
  ConnectionCounter counter;
  rlim_t maxConnections = 1000;
  int listener = -1;
  int epoll = -1;
  int wake = -1;
  std::atomic<bool> stopping{false};
  std::uint64_t nextId = wakeId + 1;
  std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> connections;
  std::unique_ptr<WorkerPool> pool;
  std::mutex doneMutex;
  struct Posted
  {
    std::uint64_t id = 0;
    Answer answer;
    bool partial = false;
    bool sent = false;  // the worker sent the whole answer itself
  };
  std::vector<Posted> done;
};

ConnectionLoop::ConnectionLoop(ConnectionLimits limits, int workers, std::size_t computing, Handler handler,
                               RefusalLog log)
    : impl_(std::make_unique<Impl>(std::move(limits), workers, computing, std::move(handler), std::move(log)))
{
}

ConnectionLoop::~ConnectionLoop() = default;

int ConnectionLoop::bind(const std::string &address, int port)
{
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo *found = nullptr;
  if (getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
  int fd = -1;
  for (addrinfo *candidate = found; candidate != nullptr && fd < 0; candidate = candidate->ai_next) {
    fd = socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                candidate->ai_protocol);
    if (fd < 0) continue;
    // SO_REUSEADDR only: without SO_REUSEPORT a port another server holds is refused, not shared.
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, candidate->ai_addr, candidate->ai_addrlen) != 0 || listen(fd, SOMAXCONN) != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(found);
  if (fd < 0) return -1;
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  int boundPort = -1;
  if (getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length) != 0 ||
      numericAddress(bound, length, boundPort).empty()) {
    ::close(fd);
    return -1;
  }
  if (impl_->listener >= 0) ::close(impl_->listener);
  impl_->listener = fd;
  return boundPort;
}

bool ConnectionLoop::run()
{
  Impl &loop = *impl_;
  if (loop.listener < 0 || loop.wake < 0) return false;
  loop.epoll = epoll_create1(EPOLL_CLOEXEC);
  if (loop.epoll < 0) return false;
  for (const auto &[fd, id] : {std::pair{loop.listener, listenerId}, std::pair{loop.wake, wakeId}}) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = id;
    epoll_ctl(loop.epoll, EPOLL_CTL_ADD, fd, &event);
  }
  loop.pool = std::make_unique<WorkerPool>(static_cast<std::size_t>(loop.workers), loop.computing);

  std::vector<epoll_event> events(256);
  auto lastSweep = Clock::now();
  while (!loop.stopping) {
    const int ready = epoll_wait(loop.epoll, events.data(), static_cast<int>(events.size()),
                                 static_cast<int>(sweepInterval.count()));
    if (ready < 0 && errno != EINTR) break;
    for (int i = 0; i < ready; ++i) {
      const std::uint64_t id = events[i].data.u64;
      if (id == listenerId) {
        loop.acceptAll();
      } else if (id == wakeId) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(loop.wake, &count, sizeof count);
        loop.answered();
      } else {
        loop.onEvent(id, events[i].events);
      }
    }
    loop.answered();  // news of answers their workers sent, which wakes nobody
    const auto now = Clock::now();
    if (now - lastSweep >= sweepInterval) {
      loop.sweep(now);
      lastSweep = now;
    }
  }
  for (const auto &[id, connection] : loop.connections) {
    if (connection->feed) Impl::release(*connection->feed);  // answers in parts stop being made
  }
  loop.pool->shutdown();  // lets the requests under way finish; their answers are not sent
  while (!loop.connections.empty()) loop.close(*loop.connections.begin()->second);
  ::close(loop.listener);
  loop.listener = -1;
  return true;
}

void ConnectionLoop::stop()
{
  impl_->stopping = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(impl_->wake, &one, sizeof one);
}

}  // namespace tessivar::directory
