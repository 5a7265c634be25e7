#include "server/request_framer.h"

#include <algorithm>
#include <cstdint>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxLengthDigits = 18;  // fits in 64 bits, far above any body taken

Framing refused(int status)
{
  Framing framing;
  framing.state = Framing::State::Refused;
  framing.status = status;
  return framing;
}

bool isTokenChar(char c)
{
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= '0' && byte <= '9') return true;
  if ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z') return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool sameName(std::string_view name, std::string_view lowerCase)
{
  return name.size() == lowerCase.size() &&
         std::equal(name.begin(), name.end(), lowerCase.begin(),
                    [](char a, char b) { return (a >= 'A' && a <= 'Z' ? char(a | 0x20) : a) == b; });
}

std::string_view trimmed(std::string_view text)
{
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

void RequestFramer::reset()
{
  searched_ = 0;
  headDone_ = false;
  decided_ = {};
}

Framing RequestFramer::examine(std::string_view received)
{
  if (!headDone_) {
    // Only the bytes added since the last look are searched (and the three before them).
    const std::size_t end = received.find("\r\n\r\n", searched_ >= 3 ? searched_ - 3 : 0);
    if (end == std::string_view::npos) {
      // A request line of the longest length taken still needs its CRLF: it is refused once the
      // bytes where that CRLF must be have come without one, not while its "\n" is on the way.
      const bool lineChecked = searched_ >= limits_.requestLine + 2;
      searched_ = received.size();
      if (!lineChecked && received.size() >= limits_.requestLine + 2 &&
          received.substr(0, limits_.requestLine + 2).find("\r\n") == std::string_view::npos) {
        return refused(414);
      }
      if (received.size() > limits_.head) return refused(431);
      return {};
    }
    headDone_ = true;
    decided_ = examineHead(received.substr(0, end + 2));
  }
  if (decided_.state == Framing::State::Complete && received.size() < decided_.length) {
    Framing waiting = decided_;
    waiting.state = Framing::State::Incomplete;
    return waiting;
  }
  return decided_;
}

Framing RequestFramer::examineHead(std::string_view head) const
{
  // head: the request line and the header lines, each ending in CRLF.
  for (std::size_t i = 0; i < head.size(); ++i) {
    if (head[i] == '\0' || (head[i] == '\n' && (i == 0 || head[i - 1] != '\r'))) return refused(400);
  }
  std::size_t lineEnd = head.find("\r\n");
  if (lineEnd > limits_.requestLine) return refused(414);
  if (head.size() + 2 > limits_.head) return refused(431);

  Framing framing;
  std::uint64_t length = 0;
  bool lengthSeen = false;
  int realIps = 0;
  for (std::size_t start = lineEnd + 2; start < head.size(); start = lineEnd + 2) {
    lineEnd = head.find("\r\n", start);
    const std::string_view line = head.substr(start, lineEnd - start);
    const std::size_t colon = line.find(':');
    const std::string_view name = line.substr(0, colon);
    if (colon == std::string_view::npos || name.empty() ||
        !std::all_of(name.begin(), name.end(), isTokenChar))
      return refused(400);
    const std::string_view value = trimmed(line.substr(colon + 1));
    if (sameName(name, "content-length")) {
      if (value.empty() || value.size() > maxLengthDigits ||
          !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return refused(400);
      std::uint64_t parsed = 0;
      for (char c : value) parsed = parsed * 10 + static_cast<std::uint64_t>(c - '0');
      if (lengthSeen && parsed != length) return refused(400);
      length = parsed;
      lengthSeen = true;
    } else if (sameName(name, "transfer-encoding")) {
      return refused(501);
    } else if (sameName(name, "x-real-ip")) {
      framing.realIp = value;
      ++realIps;
    }
  }
  if (length > limits_.body) return refused(413);
  if (realIps != 1) framing.realIp.clear();
  framing.state = Framing::State::Complete;
  framing.length = head.size() + 2 + static_cast<std::size_t>(length);
  return framing;
}

}  // namespace tessivar::directory
