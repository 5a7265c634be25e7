// The request target as the directory reads it: split into path and query, percent-decoded, routed.
// Parameters written back out with every byte escaped must read back the same, and a browse route
// must name the letter and page its path holds.
#include "server/http_routes.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tessivar::directory;

namespace {

void fail(const char *what, const std::string &text)
{
  std::fprintf(stderr, "%s: %s\n", what, text.c_str());
  std::abort();
}

std::string escapedAll(const std::string &text)
{
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out += '%';
    out += hex[byte >> 4];
    out += hex[byte & 0xF];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const std::string target(reinterpret_cast<const char *>(data), size);
  const Target parsed = parseTarget(target);
  if (target.find('?') == std::string::npos && !parsed.params.empty())
    fail("parameters without a query", target);

  std::string rebuilt = escapedAll(parsed.path) + '?';
  for (const auto &[name, value] : parsed.params) {
    if (name.empty() && value.empty()) continue;
    rebuilt += escapedAll(name) + '=' + escapedAll(value) + '&';
  }
  const Target again = parseTarget(rebuilt);
  if (again.path != parsed.path) fail("the path changed on the way back", target);
  Params expected;
  for (const auto &pair : parsed.params)
    if (!pair.first.empty() || !pair.second.empty()) expected.insert(pair);
  if (again.params != expected) fail("the parameters changed on the way back", target);

  const Route route = routeFor(parsed.path);
  if (route.endpoint == Endpoint::Browse &&
      parsed.path != "/browse/ra_" + route.letter + "_" + route.page + ".asp")
    fail("a browse route that is not its path", parsed.path);
  if (route.endpoint == Endpoint::Browse && route.page.find_first_of("_/") != std::string::npos)
    fail("a browse page with a separator", parsed.path);
  return 0;
}
