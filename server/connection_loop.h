#pragma once

#include "server/request_framer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tessivar::directory {

struct ConnectionLimits
{
  std::chrono::milliseconds request{
      10000};  // a whole request, from its first byte (or the connection's start)
  std::chrono::milliseconds keepAlive{5000};  // idle between requests; 0 = one request per connection
  std::chrono::milliseconds answer{30000};    // for the client to take a whole answer
  std::chrono::milliseconds linger{2000};     // reading what is left after the last answer, before closing
  int perClient = 16;                         // open connections per client; 0 = no cap
  int requestsPerConnection = 1000;
  std::string trustedProxy;  // a peer whose X-Real-IP header names the client
  FramingLimits framing;
};

// One whole request as received, for a worker.
struct ReceivedRequest
{
  std::string bytes;   // request line, headers and body
  std::string client;  // the peer, or the address the trusted proxy names
  int clientPort = 0;
  std::string local;
  int localPort = 0;
  bool last = false;  // the connection closes after this answer
};

struct Answer
{
  std::string bytes;
  bool close = false;
};

// Hands the loop the next part of an answer still being made, to be sent at once; the worker waits
// while much of what it handed over is unsent. False when the connection has gone (or its client
// took nothing for the answer time limit): the worker should stop making the answer.
using AnswerPart = std::function<bool(std::string bytes)>;

// A request the loop refused itself (or a connection it turned away), for the access log.
struct Refusal
{
  std::string client;
  std::string requestLine;  // as far as it came
  int status = 0;
  std::size_t bodyBytes = 0;
};

// Accepts connections and reads each request whole on one thread (epoll), within a time limit for the
// whole request and a size limit for its head and body, and writes the answers; workers only ever get
// complete requests, so idle, trickling and slow-reading clients hold no worker. Requests on one
// connection are answered in order, one at a time; a client that stops sending after its request still
// gets the answer. A long answer may be handed over in parts as it is made (AnswerPart), the rest with
// the Answer; its client must then take each part within the answer time limit.
class ConnectionLoop
{
 public:
  using Handler = std::function<Answer(const ReceivedRequest &, const AnswerPart &)>;
  using RefusalLog = std::function<void(const Refusal &)>;

  // workers: threads that make answers; computing: how many of them at once (0: all), see WorkerPool.
  ConnectionLoop(ConnectionLimits limits, int workers, std::size_t computing, Handler handler,
                 RefusalLog log);
  ~ConnectionLoop();
  ConnectionLoop(const ConnectionLoop &) = delete;
  ConnectionLoop &operator=(const ConnectionLoop &) = delete;

  // Binds and listens; returns the port, or -1 when the address cannot be bound.
  int bind(const std::string &address, int port);
  // Serves until stop(); false when nothing is bound.
  bool run();
  // Safe from any thread, also before run().
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tessivar::directory
