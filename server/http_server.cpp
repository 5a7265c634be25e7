#include "server/http_server.h"

#include "server/access_log.h"
#include "server/client_limits.h"
#include "server/connection_watch.h"
#include "server/http_routes.h"
#include "server/request_head.h"
#include "server/streamed_answer.h"
#include "server/worker_pool.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxBodyBytes = 64 * 1024;
// Request line and headers up to 32 KB fit in what the library keeps per connection for reading,
// with room for the answer's head.
constexpr std::size_t connectionMemory = 48 * 1024;
constexpr unsigned maxConnections = 16384;
constexpr std::size_t maxStreams = 64;               // list-all answers under way at once
constexpr std::size_t streamBlock = 4096;            // handed to the library per call
constexpr std::size_t wholeAnswerBytes = 64 * 1024;  // a streamed answer this short goes out whole

std::string addressText(const sockaddr *address)
{
  char text[INET6_ADDRSTRLEN] = {};
  if (address && address->sa_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, text, sizeof text);
  else if (address && address->sa_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr, text, sizeof text);
  return text;
}

std::string peerOf(MHD_Connection *connection)
{
  const auto *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  return info ? addressText(info->client_addr) : std::string();
}

const Reply &serverError()
{
  static const Reply reply{500, "text/html; charset=utf-8",
                           "<HTML><HEAD><TITLE>500 Server Error</TITLE></HEAD><BODY><H1>500 Server Error</H1>"
                           "<P>The directory could not answer this request.</P></BODY></HTML>\r\n"};
  return reply;
}

Reply refusal(int status, std::string_view text)
{
  const std::string title = std::to_string(status) + " " + std::string(text);
  return {status, "text/html; charset=utf-8",
          "<HTML><HEAD><TITLE>" + title + "</TITLE></HEAD><BODY><H1>" + title + "</H1></BODY></HTML>\r\n"};
}

}  // namespace

// One request, from its request line (the library's URI log callback) to its last byte sent.
struct Exchange
{
  std::string target;  // as received
  std::string method;
  std::string client;  // the peer, or the address the trusted proxy names
  ConnectionWatch::Connection *watched = nullptr;
  bool headDone = false;
  bool routed = false;
  Reply reply;
  std::shared_ptr<const Reply> cached;  // sent instead of reply: an answer held by the answer cache
  bool replied = false;                 // reply is ready to be queued
  std::string retryAfter;
  int status = 0;
  std::uint64_t bodyBytes = 0;
  std::unique_ptr<StreamedAnswer> started;  // a streamed answer being made, not yet handed over
  StreamedAnswer *stream = nullptr;         // once handed over: owned by the library's response
};

struct HttpServer::Impl
{
  explicit Impl(ServerOptions options)
      : options(std::move(options)),
        service(this->options.database, this->options.service),
        log(this->options.accessLog ? std::make_unique<AccessLog>() : nullptr),
        signUps(this->options.signUpsPerMinute),
        watch(watchLimits(this->options),
              [this](const std::string &client, int status) { logLine(client, "-", "", status, 0); }),
        workers(workerCount(this->options), service.computingAtOnce()),
        localCatalogue(!isPostgresAddress(this->options.database))
  {
  }

  ~Impl() { shutDown(); }

  static WatchLimits watchLimits(const ServerOptions &options)
  {
    WatchLimits limits;
    limits.request = std::chrono::seconds(options.requestSeconds);
    limits.keepAlive = std::chrono::seconds(options.keepAliveSeconds);
    limits.perClient = options.connectionsPerClient;
    limits.trustedProxy = options.trustedProxy;
    return limits;
  }

  static std::size_t workerCount(const ServerOptions &options)
  {
    return options.threads > 0 ? static_cast<std::size_t>(options.threads)
                               : std::max(16u, std::thread::hardware_concurrency() * 4);
  }

  void logLine(std::string_view client, std::string_view method, std::string_view target, int status,
               std::uint64_t bytes)
  {
    if (log) log->write(accessLogLine(client, method, target, status, bytes));
  }

  int start()
  {
    sockaddr_storage address{};
    auto *v4 = reinterpret_cast<sockaddr_in *>(&address);
    auto *v6 = reinterpret_cast<sockaddr_in6 *>(&address);
    // No error log: every malformed request would write to standard error; refusals are in the
    // access log.
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_INTERNAL_POLLING_THREAD |
                     MHD_ALLOW_SUSPEND_RESUME | MHD_USE_TURBO;
    if (inet_pton(AF_INET, options.listen.c_str(), &v4->sin_addr) == 1) {
      v4->sin_family = AF_INET;
      v4->sin_port = htons(static_cast<std::uint16_t>(options.port));
    } else if (inet_pton(AF_INET6, options.listen.c_str(), &v6->sin6_addr) == 1) {
      v6->sin6_family = AF_INET6;
      v6->sin6_port = htons(static_cast<std::uint16_t>(options.port));
      flags |= MHD_USE_IPv6;
    } else {
      return -1;
    }
    const unsigned eventThreads = std::max(2u, std::thread::hardware_concurrency());
    // Idle between requests; an answer being sent gets longer (answer()).
    const unsigned idleSeconds = static_cast<unsigned>(options.keepAliveSeconds > 0 ? options.keepAliveSeconds
                                                                                    : options.requestSeconds);
    daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &Impl::onRequest, this, MHD_OPTION_SOCK_ADDR, &address,
        MHD_OPTION_THREAD_POOL_SIZE, eventThreads, MHD_OPTION_CONNECTION_LIMIT, maxConnections,
        MHD_OPTION_CONNECTION_TIMEOUT, idleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, connectionMemory,
        MHD_OPTION_URI_LOG_CALLBACK, &Impl::onRequestLine, this, MHD_OPTION_NOTIFY_COMPLETED,
        &Impl::onCompleted, this, MHD_OPTION_NOTIFY_CONNECTION, &Impl::onConnection, this, MHD_OPTION_END);
    if (!daemon) return -1;
    const auto *info = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : -1;
  }

  static void onConnection(void *cls, MHD_Connection *connection, void **context,
                           MHD_ConnectionNotificationCode code)
  {
    auto *self = static_cast<Impl *>(cls);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      const auto *fd = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
      *context = self->watch.opened(fd ? fd->connect_fd : -1, peerOf(connection));
    } else if (*context) {
      self->watch.closed(static_cast<ConnectionWatch::Connection *>(*context));
      *context = nullptr;
    }
  }

  static void *onRequestLine(void *cls, const char *uri, MHD_Connection *connection)
  {
    auto *self = static_cast<Impl *>(cls);
    auto *exchange = new Exchange;
    exchange->target = uri ? uri : "";
    exchange->client = peerOf(connection);
    const auto *socket = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    exchange->watched = socket ? static_cast<ConnectionWatch::Connection *>(socket->socket_context) : nullptr;
    (void)self;
    return exchange;
  }

  static void onCompleted(void *cls, MHD_Connection *connection, void **context,
                          MHD_RequestTerminationCode how)
  {
    auto *self = static_cast<Impl *>(cls);
    auto *exchange = static_cast<Exchange *>(*context);
    *context = nullptr;
    if (!exchange) return;
    int status = exchange->status;
    if (status == 0) {
      // Refused by the library before we saw it.
      const auto *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_HTTP_STATUS);
      status = info ? static_cast<int>(info->http_status) : 400;
    }
    const std::uint64_t bytes = exchange->stream ? exchange->stream->taken() : exchange->bodyBytes;
    self->logLine(exchange->client, exchange->method, exchange->target, status, bytes);
    if (how == MHD_REQUEST_TERMINATED_TIMEOUT_REACHED) {
      // A client that took nothing of its answer for the time limit: the rest is dropped (a reset),
      // not left to the kernel to deliver at the client's pace.
      if (const auto *fd = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)) {
        const linger reset{1, 0};
        setsockopt(fd->connect_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
      }
    }
    // Only a connection that goes on to its next request gets the idle time limit back; one that is
    // closing has left the library's lists of time limits.
    if (exchange->watched && how == MHD_REQUEST_TERMINATED_COMPLETED_OK) {
      self->watch.answerDone(exchange->watched);
      MHD_set_connection_option(
          connection, MHD_CONNECTION_OPTION_TIMEOUT,
          static_cast<unsigned>(self->options.keepAliveSeconds > 0 ? self->options.keepAliveSeconds
                                                                   : self->options.requestSeconds));
    }
    delete exchange;
  }

  static MHD_Result onRequest(void *cls, MHD_Connection *connection, const char *, const char *method,
                              const char *version, const char *, std::size_t *uploadSize, void **context)
  {
    auto *self = static_cast<Impl *>(cls);
    auto *exchange = static_cast<Exchange *>(*context);
    if (!exchange) return MHD_NO;
    if (!exchange->headDone) {
      exchange->headDone = true;
      exchange->method = method;
      if (exchange->watched && !self->watch.requestArrived(exchange->watched)) return MHD_NO;
      if (auto refused = self->refusedHead(connection, *exchange, version)) {
        exchange->reply = std::move(*refused);
        return self->answer(connection, *exchange, true);
      }
      return MHD_YES;  // the body, if any, is read (and dropped) before the answer
    }
    if (*uploadSize > 0) {
      *uploadSize = 0;
      return MHD_YES;
    }
    if (exchange->replied) return self->answer(connection, *exchange, false);
    if (exchange->routed) return MHD_YES;
    exchange->routed = true;
    return self->route(connection, *exchange);
  }

  // What is wrong with the head, if anything.
  std::optional<Reply> refusedHead(MHD_Connection *connection, Exchange &exchange, const char *version)
  {
    switch (const int status =
                headRefusal(connection, exchange.method, version, exchange.target, maxBodyBytes)) {
      case 0:
        break;
      case 405:
        return refusal(status, "Method Not Allowed");
      case 413:
        return refusal(status, "Payload Too Large");
      default:
        return refusal(status, "Bad Request");
    }
    if (!options.trustedProxy.empty() && exchange.client == options.trustedProxy) {
      const auto realIp = headerValues(connection, "X-Real-IP");
      if (realIp.size() == 1) exchange.client = realIp.front();
    }
    if (stopping) return refusal(503, "Service Unavailable");
    return std::nullopt;
  }

  MHD_Result route(MHD_Connection *connection, Exchange &exchange)
  {
    Target target = parseTarget(exchange.target);
    Route route = routeFor(target.path);
    const auto host = [&] {
      const auto hosts = headerValues(connection, MHD_HTTP_HEADER_HOST);
      return hosts.empty() ? std::string() : hosts.front();
    };
    if (route.immediate()) {
      exchange.reply = endpoint(route, target, host(), exchange);
      return answer(connection, exchange, false);
    }
    // An answer in the cache costs one look at the catalogue's generation, and a search of a catalogue
    // held in memory a few tens of microseconds: where the catalogue is a local file, that is quicker
    // than handing the request to a worker and back (a third more searches a second at 20,000 entries).
    if (route.endpoint == Endpoint::Directory && localCatalogue) {
      try {
        if ((exchange.cached = service.directoryAtOnce(target.params))) {
          return answer(connection, exchange, false);
        }
      } catch (const std::exception &) {
        // The worker tries again and reports it.
      }
    }
    // Reads or writes the catalogue: on a worker, while the library serves the other connections.
    // Queued under the lock shutDown() takes, so that every job queued is run before it stops.
    const std::lock_guard lock(streamsMutex);
    if (stopping) {
      exchange.reply = refusal(503, "Service Unavailable");
      return answer(connection, exchange, true);
    }
    MHD_suspend_connection(connection);
    workers.enqueue(
        [this, connection, &exchange, route = std::move(route), target = std::move(target), host = host()] {
          exchange.reply = endpoint(route, target, host, exchange);
          if (exchange.reply.stream) startStream(connection, exchange);
          exchange.replied = true;
          MHD_resume_connection(connection);
        });
    return MHD_YES;
  }

  // One endpoint's answer; a failure inside it answers 500 without telling the client why.
  Reply endpoint(const Route &route, const Target &target, const std::string &host, Exchange &exchange)
  {
    try {
      switch (route.endpoint) {
        case Endpoint::Redirect:
          return service.redirect(host);
        case Endpoint::VersionCheck:
          return service.versionCheck(target.params);
        case Endpoint::Directory:
          return service.directory(target.params);
        case Endpoint::Browse:
          return service.browse(route.letter, route.page);
        case Endpoint::TopTen:
          return service.topTen();
        case Endpoint::SignUp:
          return signUp(target, exchange);
        case Endpoint::SitePage:
          return service.page(target.path, host);
        case Endpoint::NotFound:
          break;
      }
      return DirectoryService::notFound();
    } catch (const std::exception &error) {
      std::fprintf(stderr, "tessivar-directory: request failed: %s\n", error.what());
      return serverError();
    }
  }

  // Each sign-up stored costs a write: a client gets a few a minute. One refused as malformed costs
  // nothing.
  Reply signUp(const Target &target, Exchange &exchange)
  {
    const std::string client = clientKey(exchange.client);
    const auto now = SignUpLimiter::Clock::now();
    if (!signUps.take(client, now)) {
      exchange.retryAfter = std::to_string(signUps.secondsToWait(client, now));
      return refusal(429, "Too Many Requests");
    }
    Reply reply = service.signUp(target.params);
    if (reply.status != 200) signUps.giveBack(client, now);
    // Refused by the hourly cap of all clients: within the hour the sign-ups it counts have aged out.
    if (reply.status == 503) exchange.retryAfter = "3600";
    return reply;
  }

  MHD_Result answer(MHD_Connection *connection, Exchange &exchange, bool close)
  {
    Reply &reply = exchange.reply;
    MHD_Response *response = nullptr;
    if (exchange.started) {
      const std::lock_guard lock(streamsMutex);
      if (streams.size() >= maxStreams || stopping) {
        exchange.started.reset();
        reply = refusal(503, "Service Unavailable");
        exchange.retryAfter = "5";
      } else {
        auto *owned = new OwnedStream{this, std::move(exchange.started)};
        streams.insert(owned->stream.get());
        exchange.stream = owned->stream.get();
        response = MHD_create_response_from_callback(
            MHD_SIZE_UNKNOWN, streamBlock,
            [](void *cls, std::uint64_t, char *out, std::size_t max) {
              return static_cast<OwnedStream *>(cls)->stream->read(out, max);
            },
            owned, &Impl::streamDone);
      }
    }
    if (!response && exchange.cached) {
      // The cache's own copy is sent; the answer stays alive until the library is done with it.
      auto *held = new std::shared_ptr<const Reply>(std::move(exchange.cached));
      const std::string &body = (*held)->body;
      exchange.bodyBytes = body.size();
      // The library only reads a buffer it is handed this way.
      response = MHD_create_response_from_buffer_with_free_callback_cls(
          body.size(), const_cast<char *>(body.data()),
          [](void *cls) { delete static_cast<std::shared_ptr<const Reply> *>(cls); }, held);
      reply.status = (*held)->status;
      reply.contentType = (*held)->contentType;
    }
    if (!response) {
      auto *body = new std::string(std::move(reply.body));
      exchange.bodyBytes = body->size();
      response = MHD_create_response_from_buffer_with_free_callback_cls(
          body->size(), body->data(), [](void *cls) { delete static_cast<std::string *>(cls); }, body);
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
    if (!exchange.retryAfter.empty())
      MHD_add_response_header(response, MHD_HTTP_HEADER_RETRY_AFTER, exchange.retryAfter.c_str());
    if (close || options.keepAliveSeconds == 0 || stopping)
      MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    exchange.status = reply.status;
    if (exchange.watched) watch.answerStarted(exchange.watched, exchange.bodyBytes);
    // A client has this long without taking any of its answer; its pace is the watch's.
    MHD_set_connection_option(connection, MHD_CONNECTION_OPTION_TIMEOUT, 30u);
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(reply.status), response);
    MHD_destroy_response(response);
    return queued;
  }

  // Starts making a streamed answer; one that ends within its first part becomes a plain answer, sent
  // in one piece (behind a proxy, an answer cut short by a dying directory cannot be repeated
  // elsewhere once part of it went out).
  static void startStream(MHD_Connection *connection, Exchange &exchange)
  {
    auto stream =
        std::make_unique<StreamedAnswer>(connection, exchange.watched, std::move(exchange.reply.stream));
    exchange.reply.stream = nullptr;
    std::string whole;
    if (stream->takeWholeIfShort(wholeAnswerBytes, whole))
      exchange.reply.body = std::move(whole);
    else
      exchange.started = std::move(stream);
  }

  struct OwnedStream
  {
    Impl *impl;
    std::unique_ptr<StreamedAnswer> stream;
  };

  static void streamDone(void *cls)
  {
    std::unique_ptr<OwnedStream> owned(static_cast<OwnedStream *>(cls));
    const std::lock_guard lock(owned->impl->streamsMutex);
    owned->impl->streams.erase(owned->stream.get());
  }

  void shutDown()
  {
    if (!daemon) return;
    {
      const std::lock_guard lock(streamsMutex);
      stopping = true;
    }
    MHD_quiesce_daemon(daemon);
    // Every suspended connection must be resumed before the library stops: the workers finish what
    // is queued, and streamed answers end at their next part.
    workers.shutdown();
    {
      const std::lock_guard lock(streamsMutex);
      for (StreamedAnswer *stream : streams) stream->cancel();
    }
    for (;;) {
      {
        const std::lock_guard lock(streamsMutex);
        if (streams.empty() || std::all_of(streams.begin(), streams.end(),
                                           [](StreamedAnswer *stream) { return stream->finished(); }))
          break;
      }
      std::this_thread::yield();
    }
    MHD_stop_daemon(daemon);
    daemon = nullptr;
  }

  ServerOptions options;
  DirectoryService service;
  std::unique_ptr<AccessLog> log;  // outlives the daemon
  SignUpLimiter signUps;
  ConnectionWatch watch;
  WorkerPool workers;
  const bool localCatalogue;  // searched in this process (SQLite), not by a database server
  std::mutex streamsMutex;
  std::unordered_set<StreamedAnswer *> streams;
  std::atomic<bool> stopping = false;
  MHD_Daemon *daemon = nullptr;

  std::mutex stopMutex;
  std::condition_variable stopped;
  bool stopRequested = false;
};

HttpServer::HttpServer(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

HttpServer::~HttpServer() = default;

int HttpServer::bind()
{
  return impl_->start();
}

bool HttpServer::serve()
{
  if (!impl_->daemon) return false;
  {
    std::unique_lock lock(impl_->stopMutex);
    impl_->stopped.wait(lock, [this] { return impl_->stopRequested; });
  }
  impl_->shutDown();
  return true;
}

void HttpServer::stop()
{
  {
    const std::lock_guard lock(impl_->stopMutex);
    impl_->stopRequested = true;
  }
  impl_->stopped.notify_all();
}

}  // namespace tessivar::directory
