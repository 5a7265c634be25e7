#pragma once

#include "server/directory_service.h"

#include <memory>
#include <string>

namespace tessivar::directory {

struct ServerOptions
{
  std::string database;
  std::string listen = "127.0.0.1";
  int port = 8437;        // 0 = any free port
  int threads = 0;        // worker threads; 0 = a default fit for the machine
  bool accessLog = true;  // one line per request on standard output
  ServiceSettings service;
};

// The HTTP front of the directory: routes every endpoint to the DirectoryService.
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
