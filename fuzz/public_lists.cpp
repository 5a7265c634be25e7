// The readers of the public directories' lists (radio-browser JSON, Icecast yp.xml) and the stream
// check's look at a stream's first bytes, on any input: a list either gives stations or is refused
// with PublicFormatError, and a playlist's first address is always an http or https one.
#include "server/icecast_yp_reader.h"
#include "server/radio_browser_reader.h"
#include "server/stream_probe.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace tessivar::directory;

namespace {

void readList(void (*reader)(std::istream &, const std::string &, const PublicStationSink &),
              const std::string &text)
{
  std::istringstream in(text);
  try {
    reader(in, "list", [](const PublicStation &) {});
  } catch (const PublicFormatError &) {
  }
}

bool isStreamAddress(std::string url)
{
  for (char &c : url) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

}  // namespace

// The first byte chooses: 0 the JSON reader, 1 the XML reader, anything else the stream's bytes
// (the first line of the rest being its content type).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
  if (data[0] == 0) {
    readList(readRadioBrowserStations, text);
  } else if (data[0] == 1) {
    readList(readIcecastYpStations, text);
  } else {
    const auto line = text.find('\n');
    const std::string type = text.substr(0, line);
    const std::string body = line == std::string::npos ? std::string() : text.substr(line + 1);
    const BodyKind kind = sniffBody(body, type, data[0] & 1 ? "http://a.example/list.m3u" : "http://a/x.ram");
    if (!kind.firstAddress.empty() && !isStreamAddress(kind.firstAddress)) {
      std::fprintf(stderr, "a playlist's first address [%s]\n", kind.firstAddress.c_str());
      std::abort();
    }
  }
  return 0;
}
