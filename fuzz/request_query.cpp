// The directory's query decoding: the request target's query split and decoded, then the checks every
// endpoint applies to the parameters it knows.
#include "server/format_family.h"
#include "server/http_routes.h"
#include "server/request_params.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tessivar::directory;

namespace {

void fail(const char *what, const std::string &text)
{
  std::fprintf(stderr, "%s: %s\n", what, text.c_str());
  std::abort();
}

const std::vector<std::string> &knownNames()
{
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list{"V",     "P",   "T1",      "F",    "LIVE",   "FMT", "SPD",
                                  "MBPS",  "MT",  "RELATED", "ID",   "GS",     "UNK", "LS",
                                  "STYLE", "VER", "Email",   "Name", "Program"};
    for (const char *const *flag = formatFlagNames(); *flag; ++flag) list.emplace_back(*flag);
    return list;
  }();
  return names;
}

bool allDigits(const std::string &text)
{
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const std::string query(reinterpret_cast<const char *>(data), size);
  const Params params = parseTarget("/?" + query).params;

  RequestParams checked(params, knownNames());
  if (!checked.error().empty()) return 0;
  for (const std::string &name : knownNames()) {
    if (params.count(name) > 1) fail("a parameter given twice was taken", name);
    const auto text = checked.text(name);
    if (checked.isOne(name) != (text && *text == "1")) fail("isOne disagrees with the text", name);
    for (const std::int64_t maxValue :
         {std::int64_t(1), std::int64_t(100000), std::int64_t(999999999999999999)}) {
      RequestParams fresh(params, knownNames());
      const std::int64_t number = fresh.number(name, maxValue, -1);
      if (number == -1) {
        if (text && allDigits(*text) && text->size() <= 18 && std::stoll(*text) <= maxValue)
          fail("a whole number in range was refused", *text);
        if (text && fresh.error().empty()) fail("a refused number left no error", *text);
        continue;
      }
      if (!text || !allDigits(*text) || number < 0 || number > maxValue || number != std::stoll(*text))
        fail("a number was taken that is none", text.value_or(std::string()));
    }
  }
  return 0;
}
