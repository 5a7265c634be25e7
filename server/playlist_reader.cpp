#include "server/playlist_reader.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace tessivar::directory {

namespace {

std::string trimmed(std::string text)
{
  const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
  text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
  text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
  return text;
}

std::string lower(std::string text)
{
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The value of key="..." in an #EXTINF line.
std::string attribute(const std::string &line, const std::string &key)
{
  const auto at = line.find(key + "=\"");
  if (at == std::string::npos) return {};
  const auto begin = at + key.size() + 2;
  const auto end = line.find('"', begin);
  return end == std::string::npos ? std::string() : line.substr(begin, end - begin);
}

// The title of an #EXTINF line: the text after the first comma outside quotes.
std::string extinfTitle(const std::string &line)
{
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"')
      quoted = !quoted;
    else if (line[i] == ',' && !quoted)
      return trimmed(line.substr(i + 1));
  }
  return {};
}

}  // namespace

std::vector<PlaylistItem> readM3u(std::istream &in)
{
  std::vector<PlaylistItem> items;
  PlaylistItem pending;
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    first = false;
    line = trimmed(line);
    if (line.empty()) continue;
    if (line.rfind("#EXTINF:", 0) == 0) {
      pending.name = extinfTitle(line);
      pending.genre = attribute(line, "group-title");
      continue;
    }
    if (line.front() == '#') continue;
    pending.url = line;
    items.push_back(pending);
    pending = PlaylistItem{};
  }
  return items;
}

std::vector<PlaylistItem> readPls(std::istream &in)
{
  std::map<int, PlaylistItem> byNumber;
  std::string line;
  while (std::getline(in, line)) {
    line = trimmed(line);
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = lower(trimmed(line.substr(0, equals)));
    const std::string value = trimmed(line.substr(equals + 1));
    for (const char *prefix : {"file", "title"}) {
      const std::string p(prefix);
      if (key.rfind(p, 0) != 0 || key.size() == p.size() || key.size() > p.size() + 6) continue;
      const std::string digits = key.substr(p.size());
      if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        continue;
      auto &item = byNumber[std::stoi(digits)];
      (p == "file" ? item.url : item.name) = value;
    }
  }
  std::vector<PlaylistItem> items;
  for (auto &[number, item] : byNumber) {
    if (!item.url.empty()) items.push_back(std::move(item));
  }
  return items;
}

}  // namespace tessivar::directory
