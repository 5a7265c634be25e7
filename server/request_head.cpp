#include "server/request_head.h"

#include <microhttpd.h>

#include <strings.h>
#include <algorithm>
#include <cstring>

namespace tessivar::directory {

std::vector<std::string> headerValues(MHD_Connection *connection, const char *name)
{
  struct Search
  {
    const char *name;
    std::vector<std::string> found;
  } search{name, {}};
  MHD_get_connection_values_n(
      connection, MHD_HEADER_KIND,
      [](void *cls, MHD_ValueKind, const char *key, std::size_t, const char *value, std::size_t size) {
        auto *s = static_cast<Search *>(cls);
        if (strcasecmp(key, s->name) == 0) s->found.emplace_back(value ? value : "", value ? size : 0);
        return MHD_YES;
      },
      &search);
  return search.found;
}

namespace {

// A header whose name holds a blank or whose name or value holds a CR or NUL: the library takes them,
// but two readers of such a head could disagree about it.
bool anyHeaderMalformed(MHD_Connection *connection)
{
  bool found = false;
  MHD_get_connection_values_n(
      connection, MHD_HEADER_KIND,
      [](void *cls, MHD_ValueKind, const char *key, std::size_t keySize, const char *value,
         std::size_t size) {
        const std::string_view name(key, keySize), text(value ? value : "", value ? size : 0);
        const bool bad = name.find_first_of(std::string_view(" \t\r\0", 4)) != std::string_view::npos ||
                         text.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos;
        *static_cast<bool *>(cls) = bad;
        return bad ? MHD_NO : MHD_YES;
      },
      &found);
  return found;
}

}  // namespace

int headRefusal(MHD_Connection *connection, std::string_view method, std::string_view version,
                std::string_view target, std::size_t maxBody)
{
  if (method != "GET" && method != "HEAD") return 405;
  const std::size_t hosts = headerValues(connection, MHD_HTTP_HEADER_HOST).size();
  if (hosts > 1 || (hosts == 0 && version != MHD_HTTP_VERSION_1_0)) return 400;
  if (target.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos ||
      anyHeaderMalformed(connection))
    return 400;
  if (!headerValues(connection, MHD_HTTP_HEADER_TRANSFER_ENCODING).empty()) return 400;
  const auto lengths = headerValues(connection, MHD_HTTP_HEADER_CONTENT_LENGTH);
  if (lengths.empty()) return 0;
  const std::string &length = lengths.front();
  if (std::any_of(lengths.begin(), lengths.end(), [&](const std::string &other) { return other != length; }))
    return 400;
  const bool digits = !length.empty() && length.size() <= 18 &&
                      std::all_of(length.begin(), length.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) return 400;
  return std::stoull(length) > maxBody ? 413 : 0;
}

}  // namespace tessivar::directory
