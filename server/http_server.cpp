#include "server/http_server.h"

#include "server/access_log.h"
#include "server/client_limits.h"
#include "server/connection_loop.h"
#include "server/site_pages.h"
#include "server/worker_pool.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <thread>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxLoggedTarget = 300;
// An answer being written is handed to the connection loop whenever this much of it has gathered.
constexpr std::size_t answerPartBytes = 64 * 1024;

// Control and non-ASCII bytes escaped, long texts cut.
std::string escapedForLog(std::string_view text)
{
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (out.size() >= maxLoggedTarget) {
      out += "...";
      break;
    }
    if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      out += escape;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// The request target for the log.
std::string loggedTarget(const httplib::Request &request)
{
  std::string target = request.path;
  if (!request.params.empty()) {
    target += '?';
    bool first = true;
    for (const auto &[name, value] : request.params) {
      target += (first ? "" : "&") + name + "=" + value;
      first = false;
    }
  }
  return escapedForLog(target);
}

// One line in common log format; request is already escaped.
std::string accessLogLine(const std::string &client, const std::string &request, int status,
                          std::size_t bytes)
{
  char when[32];
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::strftime(when, sizeof when, "%d/%b/%Y:%H:%M:%S +0000", &utc);
  return client + " - - [" + when + "] \"" + request + "\" " + std::to_string(status) + " " +
         std::to_string(bytes) + "\n";
}

// One request's bytes, already received whole, in; the answer out, gathered for the connection loop and
// handed to it in parts while it grows.
class ReceivedStream final : public httplib::Stream
{
 public:
  ReceivedStream(const ReceivedRequest &request, std::string &answer, const AnswerPart &part)
      : request_(request), answer_(answer), part_(part)
  {
  }

  bool is_readable() const override { return true; }
  bool is_writable() const override { return true; }
  ssize_t read(char *ptr, size_t size) override
  {
    const std::size_t count = std::min(size, request_.bytes.size() - read_);
    request_.bytes.copy(ptr, count, read_);
    read_ += count;
    return static_cast<ssize_t>(count);
  }
  ssize_t write(const char *ptr, size_t size) override
  {
    answer_.append(ptr, size);
    if (answer_.size() >= answerPartBytes) {
      std::string bytes;
      bytes.swap(answer_);
      if (!part_(std::move(bytes))) return -1;  // the client has gone
    }
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string &ip, int &port) const override
  {
    ip = request_.client;
    port = request_.clientPort;
  }
  void get_local_ip_and_port(std::string &ip, int &port) const override
  {
    ip = request_.local;
    port = request_.localPort;
  }
  socket_t socket() const override { return INVALID_SOCKET; }

 private:
  const ReceivedRequest &request_;
  std::string &answer_;
  const AnswerPart &part_;
  std::size_t read_ = 0;
};

// httplib's routing and answer writing, given one whole request at a time. A streamed body (Reply::stream)
// is written here, after the head httplib wrote: in chunks to an HTTP/1.1 client, unframed and ended by
// closing the connection to an HTTP/1.0 client, which knows no chunks.
class RequestRunner final : public httplib::Server
{
 public:
  using Stream = std::function<void(const ChunkSink &)>;
  using LogLine = std::function<void(std::size_t bodyBytes)>;

  // The client of the request this thread runs (httplib names it only in requests it could read).
  static const std::string &client() { return *client_; }
  // Called by a route: the answer's body is written by stream once httplib has written the head.
  static void streamAfterHead(Stream stream) { stream_ = std::move(stream); }
  static bool streaming() { return static_cast<bool>(stream_); }
  static void logWhenSent(LogLine line) { logLine_ = std::move(line); }
  static void logSent(std::size_t bodyBytes)
  {
    if (logLine_) logLine_(bodyBytes);
    logLine_ = nullptr;
  }

  Answer run(const ReceivedRequest &request, const AnswerPart &part)
  {
    client_ = &request.client;
    stream_ = nullptr;
    logLine_ = nullptr;
    Answer answer;
    ReceivedStream stream(request, answer.bytes, part);
    bool closing = false;
    bool understood = false;  // only a request whose head httplib could read is set up
    bool chunked = true;
    bool headOnly = false;
    const bool answered = process_request(stream, request.last, closing, [&](httplib::Request &parsed) {
      understood = true;
      chunked = parsed.version != "HTTP/1.0";
      headOnly = parsed.method == "HEAD";
    });
    // After a head it could not read, httplib answers without deciding about the connection: close it.
    answer.close = request.last || closing || !answered || !understood;
    if (stream_) {
      Stream body = std::move(stream_);
      stream_ = nullptr;
      if (!chunked) answer.close = true;
      answer.bytes = streamedHead(answer.bytes, chunked, answer.close);
      // A streamed body (list all) is made as its client takes it, seconds at a million entries: it
      // does not hold one of the turns of the requests queued behind it.
      const WorkerPool::Waiting streaming;
      logSent(headOnly ? 0 : writeBody(body, stream, chunked, answer));
    }
    return answer;
  }

 private:
  // httplib's head for the empty body, with the framing of a streamed one instead of its length.
  static std::string streamedHead(const std::string &head, bool chunked, bool close)
  {
    std::string out;
    std::size_t at = 0;
    while (at < head.size()) {
      const std::size_t end = std::min(head.find("\r\n", at), head.size());
      const std::string_view line(head.data() + at, end - at);
      at = end + 2;
      if (line.empty()) break;
      const auto named = [&](std::string_view name) {
        return line.size() > name.size() && line[name.size()] == ':' &&
               std::equal(name.begin(), name.end(), line.begin(),
                          [](char a, char b) { return std::tolower(a) == std::tolower(b); });
      };
      if (named("Content-Length") || named("Connection") || named("Keep-Alive")) continue;
      out.append(line).append("\r\n");
    }
    if (chunked) out += "Transfer-Encoding: chunked\r\n";
    if (close) out += "Connection: close\r\n";
    out += "\r\n";
    return out;
  }

  // Writes the body; returns its size. A failure once part of it is out can only end the answer
  // unfinished (no last chunk) and close the connection.
  static std::size_t writeBody(const Stream &body, ReceivedStream &out, bool chunked, Answer &answer)
  {
    std::size_t bytes = 0;
    bool taken = true;
    char size[24];
    try {
      body([&](std::string_view chunk) {
        if (chunk.empty()) return true;
        if (chunked) {
          const int length = std::snprintf(size, sizeof size, "%zX\r\n", chunk.size());
          taken = out.write(size, static_cast<std::size_t>(length)) >= 0;
        }
        taken =
            taken && out.write(chunk.data(), chunk.size()) >= 0 && (!chunked || out.write("\r\n", 2) >= 0);
        if (taken) bytes += chunk.size();
        return taken;
      });
      if (taken && chunked) taken = out.write("0\r\n\r\n", 5) >= 0;
    } catch (const std::exception &error) {
      // The connection loop answers 500 if nothing has gone out yet, else closes the connection.
      std::fprintf(stderr, "tessivar-directory: request failed: %s\n", error.what());
      throw;
    }
    if (!taken) answer.close = true;
    return bytes;
  }

  static inline thread_local const std::string *client_ = nullptr;
  static inline thread_local Stream stream_;
  static inline thread_local LogLine logLine_;
};

const char *statusText(int status)
{
  switch (status) {
    case 400:
      return "Bad Request";
    case 405:
      return "Method Not Allowed";
    case 413:
      return "Payload Too Large";
    case 414:
      return "URI Too Long";
    case 416:
      return "Range Not Satisfiable";
    case 429:
      return "Too Many Requests";
    default:
      return status < 500 ? "Bad Request" : "Server Error";
  }
}

void send(httplib::Response &response, Reply reply)
{
  response.status = reply.status;
  // As set_content, without copying the body.
  response.set_content("", 0, reply.contentType);
  response.body = std::move(reply.body);
  // httplib writes the head (for an empty body); the runner then writes the body as it is made.
  if (reply.stream) RequestRunner::streamAfterHead(reply.stream);
}

}  // namespace

struct HttpServer::Impl
{
  explicit Impl(ServerOptions options)
      : options(std::move(options)),
        service(this->options.database, this->options.service),
        signUps(this->options.signUpsPerMinute),
        loop(
            limits(this->options), workerCount(this->options), service.computingAtOnce(),
            [this](const ReceivedRequest &request, const AnswerPart &part) {
              return server.run(request, part);
            },
            [this](const Refusal &refusal) {
              if (!log) return;
              // Like the other lines: method and target, without the protocol version.
              std::string_view line = refusal.requestLine;
              const std::size_t version = line.rfind(" HTTP/");
              if (version != std::string_view::npos) line = line.substr(0, version);
              log->write(accessLogLine(refusal.client, line.empty() ? "-" : escapedForLog(line),
                                       refusal.status, refusal.bodyBytes));
            })
  {
  }

  static ConnectionLimits limits(const ServerOptions &options)
  {
    ConnectionLimits limits;
    limits.request = std::chrono::seconds(options.requestSeconds);
    limits.keepAlive = std::chrono::seconds(options.keepAliveSeconds);
    limits.perClient = options.connectionsPerClient;
    limits.trustedProxy = options.trustedProxy;
    return limits;
  }

  static int workerCount(const ServerOptions &options)
  {
    return options.threads > 0 ? options.threads
                               : static_cast<int>(std::max(16u, std::thread::hardware_concurrency() * 4));
  }

  // Runs one endpoint; a failure inside it answers 500 without telling the client why.
  void answer(httplib::Response &response, const std::function<Reply()> &endpoint)
  {
    try {
      send(response, endpoint());
    } catch (const std::exception &error) {
      std::fprintf(stderr, "tessivar-directory: request failed: %s\n", error.what());
      send(response, {500, "text/html; charset=utf-8",
                      "<HTML><HEAD><TITLE>500 Server Error</TITLE></HEAD><BODY><H1>500 Server Error</H1>"
                      "<P>The directory could not answer this request.</P></BODY></HTML>\r\n"});
    }
  }

  void routes()
  {
    const auto host = [](const httplib::Request &request) { return request.get_header_value("Host"); };
    server.Get("/redirect35.asp", [this, host](const httplib::Request &request, httplib::Response &response) {
      answer(response, [&] { return service.redirect(host(request)); });
    });
    server.Get("/reg.asp", [this](const httplib::Request &request, httplib::Response &response) {
      answer(response, [&] { return service.versionCheck(request.params); });
    });
    server.Get("/tessivar37.asp", [this](const httplib::Request &request, httplib::Response &response) {
      answer(response, [&] { return service.directory(request.params); });
    });
    server.Get(R"(/browse/ra_([^/]*)_([^/_]*)\.asp)",
               [this](const httplib::Request &request, httplib::Response &response) {
                 answer(response, [&] { return service.browse(request.matches[1], request.matches[2]); });
               });
    server.Get("/top10.asp", [this](const httplib::Request &, httplib::Response &response) {
      answer(response, [&] { return service.topTen(); });
    });
    server.Get("/maillist.asp", [this](const httplib::Request &request, httplib::Response &response) {
      // Each sign-up stored costs a write: a client gets a few a minute. One that is refused as
      // malformed costs nothing.
      const std::string client = clientKey(request.remote_addr);
      const auto now = SignUpLimiter::Clock::now();
      if (!signUps.take(client, now)) {
        response.status = 429;
        response.set_header("Retry-After", std::to_string(signUps.secondsToWait(client, now)));
        return;
      }
      answer(response, [&] { return service.signUp(request.params); });
      if (response.status != 200) signUps.giveBack(client, now);
    });
    for (const std::string &path : sitePagePaths()) {
      server.Get(path, [this, host](const httplib::Request &request, httplib::Response &response) {
        answer(response, [&] { return service.page(request.path, host(request)); });
      });
    }
    server.set_error_handler([](const httplib::Request &, httplib::Response &response) {
      if (response.status == 404) {
        send(response, DirectoryService::notFound());
      } else if (response.body.empty()) {
        const std::string text = std::to_string(response.status) + " " + statusText(response.status);
        response.set_content(
            "<HTML><HEAD><TITLE>" + text + "</TITLE></HEAD><BODY><H1>" + text + "</H1></BODY></HTML>\r\n",
            "text/html; charset=utf-8");
      }
    });
    if (options.accessLog) {
      log = std::make_unique<AccessLog>();
      server.set_logger([this](const httplib::Request &request, const httplib::Response &response) {
        // A streamed body is written after this: its line waits for the count of its bytes.
        RequestRunner::logWhenSent([this, client = RequestRunner::client(),
                                    target = request.method + " " + loggedTarget(request),
                                    status = response.status](std::size_t bytes) {
          log->write(accessLogLine(client, target, status, bytes));
        });
        if (!RequestRunner::streaming()) RequestRunner::logSent(response.body.size());
      });
    }
  }

  ServerOptions options;
  DirectoryService service;
  std::unique_ptr<AccessLog> log;  // outlives the workers
  SignUpLimiter signUps;
  RequestRunner server;
  ConnectionLoop loop;
};

HttpServer::HttpServer(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options)))
{
  // Only what shapes the answers: connections, time limits and sizes are the loop's.
  impl_->server.set_keep_alive_max_count(ConnectionLimits{}.requestsPerConnection);
  impl_->server.set_keep_alive_timeout(impl_->options.keepAliveSeconds);
  impl_->server.set_payload_max_length(FramingLimits{}.body);
  impl_->routes();
}

HttpServer::~HttpServer() = default;

int HttpServer::bind()
{
  return impl_->loop.bind(impl_->options.listen, impl_->options.port);
}

bool HttpServer::serve()
{
  return impl_->loop.run();
}

void HttpServer::stop()
{
  impl_->loop.stop();
}

}  // namespace tessivar::directory
