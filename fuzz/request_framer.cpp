// The request framer, fed what a connection receives in one piece and again in the pieces the
// input chooses, pipelined requests included: every cut must end each request at the same byte
// and accept or refuse the same requests.
#include "server/request_framer.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace tessivar::directory;

namespace {

struct Decision
{
  Framing::State state;
  std::size_t length;
  std::string realIp;

  friend bool operator==(const Decision &, const Decision &) = default;
};

// As the connection loop does: after each piece, every request now complete is taken off the
// front and the framer starts again on the rest, until one is incomplete or refused.
std::vector<Decision> frame(const FramingLimits &limits, std::string_view bytes, FuzzedDataProvider *pieces)
{
  RequestFramer framer(limits);
  std::vector<Decision> decisions;
  std::string input;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t left = bytes.size() - at;
    const std::size_t size =
        pieces && pieces->remaining_bytes() > 0 ? pieces->ConsumeIntegralInRange<std::size_t>(1, left) : left;
    input.append(bytes.substr(at, size));
    at += size;
    for (;;) {
      const Framing framing = framer.examine(input);
      if (framing.state == Framing::State::Incomplete) break;
      if (framing.state == Framing::State::Complete &&
          (framing.length == 0 || framing.length > input.size())) {
        std::fprintf(stderr, "complete request of %zu bytes in %zu\n", framing.length, input.size());
        std::abort();
      }
      decisions.push_back({framing.state, framing.length, framing.realIp});
      if (framing.state == Framing::State::Refused) return decisions;
      input.erase(0, framing.length);
      framer.reset();
      if (input.empty()) break;
    }
  }
  return decisions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const std::string_view bytes(reinterpret_cast<const char *>(data), size);
  // Small limits, read from the end of the input, so that short inputs reach them.
  FuzzedDataProvider chooser(data, size);
  FramingLimits limits;
  limits.requestLine = chooser.ConsumeIntegralInRange<std::size_t>(8, 512);
  limits.head = chooser.ConsumeIntegralInRange<std::size_t>(16, 2048);
  limits.body = chooser.ConsumeIntegralInRange<std::size_t>(0, 1024);

  const std::vector<Decision> whole = frame(limits, bytes, nullptr);
  const std::vector<Decision> cut = frame(limits, bytes, &chooser);
  if (whole == cut) return 0;
  for (const auto *decisions : {&whole, &cut}) {
    std::fprintf(stderr, decisions == &whole ? "whole:" : "cut:  ");
    for (const Decision &d : *decisions)
      std::fprintf(stderr, " [%d %zu %s]", int(d.state), d.length, d.realIp.c_str());
    std::fprintf(stderr, "\n");
  }
  std::abort();
}
