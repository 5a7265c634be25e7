#include "server/http_server.h"

#include "server/access_log.h"
#include "server/client_limits.h"
#include "server/connection_loop.h"
#include "server/site_pages.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <thread>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxLoggedTarget = 300;

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

// One request's bytes, already received whole, in; the answer out, gathered for the connection loop.
class ReceivedStream final : public httplib::Stream
{
 public:
  ReceivedStream(const ReceivedRequest &request, std::string &answer) : request_(request), answer_(answer) {}

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
  std::size_t read_ = 0;
};

// httplib's routing and answer writing, given one whole request at a time.
class RequestRunner final : public httplib::Server
{
 public:
  // The client of the request this thread runs (httplib names it only in requests it could read).
  static const std::string &client() { return *client_; }

  Answer run(const ReceivedRequest &request)
  {
    client_ = &request.client;
    Answer answer;
    ReceivedStream stream(request, answer.bytes);
    bool closing = false;
    bool understood = false;  // only a request whose head httplib could read is set up
    const bool answered =
        process_request(stream, request.last, closing, [&](httplib::Request &) { understood = true; });
    // After a head it could not read, httplib answers without deciding about the connection: close it.
    answer.close = request.last || closing || !answered || !understood;
    return answer;
  }

 private:
  static inline thread_local const std::string *client_ = nullptr;
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

void send(httplib::Response &response, const Reply &reply)
{
  response.status = reply.status;
  response.set_content(reply.body, reply.contentType.c_str());
}

}  // namespace

struct HttpServer::Impl
{
  explicit Impl(ServerOptions options)
      : options(std::move(options)),
        service(this->options.database, this->options.service),
        signUps(this->options.signUpsPerMinute),
        loop(
            limits(this->options), workerCount(this->options),
            [this](const ReceivedRequest &request) { return server.run(request); },
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
        log->write(accessLogLine(RequestRunner::client(), request.method + " " + loggedTarget(request),
                                 response.status, response.body.size()));
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
