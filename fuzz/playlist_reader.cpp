// The catalogue importer's M3U and PLS readers, on any text: every item they give has an address
// on one line, trimmed, and a catalogue key.
#include "server/playlist_reader.h"
#include "server/sqlite/catalogue_import.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace tessivar::directory;

namespace {

void check(const char *reader, const std::vector<PlaylistItem> &items)
{
  for (const PlaylistItem &item : items) {
    const std::string &url = item.url;
    const bool bad = url.empty() || url.find('\n') != std::string::npos ||
                     std::isspace(static_cast<unsigned char>(url.front())) ||
                     std::isspace(static_cast<unsigned char>(url.back()));
    if (bad || item.name.find('\n') != std::string::npos) {
      std::fprintf(stderr, "%s gave the item [%s] [%s]\n", reader, item.name.c_str(), url.c_str());
      std::abort();
    }
    streamKey(url);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const std::string text(reinterpret_cast<const char *>(data), size);
  std::istringstream m3u(text);
  check("M3U", readM3u(m3u));
  std::istringstream pls(text);
  check("PLS", readPls(pls));
  return 0;
}
