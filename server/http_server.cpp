#include "server/http_server.h"

#include "server/access_log.h"
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

// The request target for the log: control and non-ASCII bytes escaped, long targets cut.
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
  std::string out;
  for (char c : target) {
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

std::string accessLogLine(const httplib::Request &request, const httplib::Response &response)
{
  char when[32];
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::strftime(when, sizeof when, "%d/%b/%Y:%H:%M:%S +0000", &utc);
  return request.remote_addr + " - - [" + when + "] \"" + request.method + " " + loggedTarget(request) +
         "\" " + std::to_string(response.status) + " " + std::to_string(response.body.size()) + "\n";
}

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
      : options(std::move(options)), service(this->options.database, this->options.service)
  {
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
      answer(response, [&] { return service.signUp(request.params); });
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
        log->write(accessLogLine(request, response));
      });
    }
  }

  ServerOptions options;
  DirectoryService service;
  std::unique_ptr<AccessLog> log;  // outlives the server's threads
  httplib::Server server;
};

HttpServer::HttpServer(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options)))
{
  const int threads = impl_->options.threads > 0
                          ? impl_->options.threads
                          : static_cast<int>(std::max(16u, std::thread::hardware_concurrency() * 4));
  impl_->server.new_task_queue = [threads] {
    return new httplib::ThreadPool(static_cast<std::size_t>(threads));
  };
  // SO_REUSEADDR only: without SO_REUSEPORT a port another server holds is refused, not shared.
  impl_->server.set_socket_options([](int sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  impl_->server.set_tcp_nodelay(true);  // headers and body go out at once, not after a delayed ACK
  impl_->server.set_keep_alive_max_count(1000);
  impl_->server.set_keep_alive_timeout(5);
  impl_->server.set_read_timeout(10);
  impl_->server.set_payload_max_length(64 * 1024);
  impl_->routes();
}

HttpServer::~HttpServer() = default;

int HttpServer::bind()
{
  if (impl_->options.port == 0) return impl_->server.bind_to_any_port(impl_->options.listen);
  return impl_->server.bind_to_port(impl_->options.listen, impl_->options.port) ? impl_->options.port : -1;
}

bool HttpServer::serve()
{
  return impl_->server.listen_after_bind();
}

void HttpServer::stop()
{
  impl_->server.stop();
}

}  // namespace tessivar::directory
