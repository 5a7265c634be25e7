#pragma once

#include <istream>
#include <string>
#include <vector>

namespace tessivar::directory {

struct PlaylistItem
{
  std::string name;
  std::string url;
  std::string genre;  // from an extended M3U's group-title, if any
};

// A plain or extended M3U list: one address per line, "#EXTINF:...,Name" lines name the next one.
std::vector<PlaylistItem> readM3u(std::istream &in);

// A PLS list: FileN=, TitleN= pairs in the [playlist] section.
std::vector<PlaylistItem> readPls(std::istream &in);

}  // namespace tessivar::directory
