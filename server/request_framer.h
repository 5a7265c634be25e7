#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessivar::directory {

// How much of one request the server takes before it refuses it.
struct FramingLimits
{
  std::size_t requestLine = 8192;  // longer: 414
  std::size_t head = 32 * 1024;    // request line and headers; longer: 431
  std::size_t body = 64 * 1024;    // a larger Content-Length: 413
};

// What the bytes received so far say about the next request on a connection.
struct Framing
{
  enum class State { Incomplete, Complete, Refused };
  State state = State::Incomplete;
  std::size_t length = 0;  // Complete: the bytes of the request, head and body
  int status = 0;          // Refused: the answer (400, 413, 414, 431, 501)
  std::string realIp;      // the X-Real-IP header, when given once
};

// Finds where a request ends before any handler sees it: the head up to its blank line (CRLF only),
// then as many body bytes as one plain Content-Length names. Anything that could make two readers
// disagree about that end is refused at once: a bad, negative, overlong or repeated-and-different
// Content-Length, a Transfer-Encoding, a bare LF or NUL in the head, a header name that is not a token.
// Feed it the same growing buffer until it decides, then reset() for the next request.
class RequestFramer
{
 public:
  explicit RequestFramer(FramingLimits limits = {}) : limits_(limits) {}

  Framing examine(std::string_view received);
  void reset();

 private:
  Framing examineHead(std::string_view head) const;

  FramingLimits limits_;
  std::size_t searched_ = 0;  // bytes already searched for the end of the head
  bool headDone_ = false;
  Framing decided_;  // once the head is complete
};

}  // namespace tessivar::directory
