#pragma once

#include "server/directory_service.h"

#include <memory>
#include <string>

namespace tessivar::directory {

struct ServerOptions
{
  std::string database;
  std::string listen = "127.0.0.1";
  int port = 8437;                // 0 = any free port
  int threads = 0;                // worker threads; 0 = a default fit for the machine
  bool accessLog = true;          // one line per request on standard output
  int requestSeconds = 10;        // to receive a whole request
  int keepAliveSeconds = 5;       // idle between requests on one connection; 0 = one request each
  int connectionsPerClient = 16;  // 0 = no cap
  int signUpsPerMinute = 6;       // per client; 0 = no limit
  std::string trustedProxy;       // a reverse proxy whose X-Real-IP header names the client
  ServiceSettings service;
};

// The HTTP front of the directory: a connection loop reads whole requests, workers route them to the
// DirectoryService.
class HttpServer
{
 public:
  explicit HttpServer(ServerOptions options);
  ~HttpServer();
  HttpServer(const HttpServer &) = delete;
  HttpServer &operator=(const HttpServer &) = delete;

  // Binds the listening socket; returns the port, or -1 when the address cannot be bound.
  int bind();
  // Serves until stop(); false when it could not serve.
  bool serve();
  // Stops serving; safe from any thread.
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tessivar::directory
