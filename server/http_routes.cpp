#include "server/http_routes.h"

#include "server/site_pages.h"

#include <algorithm>
#include <vector>

namespace tessivar::directory {

namespace {

int hexValue(char c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string percentDecoded(std::string_view text, bool plusIsSpace)
{
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(plusIsSpace && c == '+' ? ' ' : c);
    }
  }
  return out;
}

Target parseTarget(std::string_view target)
{
  Target out;
  const std::size_t question = target.find('?');
  out.path = percentDecoded(target.substr(0, question), false);
  if (question == std::string_view::npos) return out;
  std::string_view query = target.substr(question + 1);
  query = query.substr(0, query.find('#'));
  while (!query.empty()) {
    const std::size_t end = std::min(query.find('&'), query.size());
    const std::string_view pair = query.substr(0, end);
    query.remove_prefix(std::min(end + 1, query.size()));
    if (pair.empty()) continue;
    const std::size_t equals = pair.find('=');
    out.params.emplace(
        percentDecoded(pair.substr(0, equals), true),
        equals == std::string_view::npos ? std::string() : percentDecoded(pair.substr(equals + 1), true));
  }
  return out;
}

Route routeFor(std::string_view path)
{
  if (path == "/tessivar37.asp") return {Endpoint::Directory, {}, {}};
  if (path == "/redirect35.asp") return {Endpoint::Redirect, {}, {}};
  if (path == "/reg.asp") return {Endpoint::VersionCheck, {}, {}};
  if (path == "/top10.asp") return {Endpoint::TopTen, {}, {}};
  if (path == "/maillist.asp") return {Endpoint::SignUp, {}, {}};
  constexpr std::string_view browse = "/browse/ra_", suffix = ".asp";
  if (path.size() > browse.size() + suffix.size() && path.starts_with(browse) && path.ends_with(suffix)) {
    const std::string_view middle = path.substr(browse.size(), path.size() - browse.size() - suffix.size());
    const std::size_t cut = middle.rfind('_');
    if (cut != std::string_view::npos && middle.find('/') == std::string_view::npos)
      return {Endpoint::Browse, std::string(middle.substr(0, cut)), std::string(middle.substr(cut + 1))};
  }
  static const std::vector<std::string> pages = sitePagePaths();
  if (std::find(pages.begin(), pages.end(), path) != pages.end()) return {Endpoint::SitePage, {}, {}};
  return {Endpoint::NotFound, {}, {}};
}

}  // namespace tessivar::directory
