#pragma once

#include <cstdint>
#include <string>

namespace tessivar::directory {

// One station, channel or clip as the queries read it from the catalogue.
struct CatalogueEntry
{
  std::int64_t id = 0;
  int kind = 0;    // EntryKind
  int family = 0;  // FormatFamily
  std::string url;
  std::string name;
  std::string format;
  std::string location;
  std::string state;
  std::string country;
  std::string genre;
  std::string homepage;
  std::int64_t bitrate = 0;   // kbps, 0 unknown
  std::int64_t duration = 0;  // seconds, 0 unknown
  std::int64_t showId = 0;    // 0 none
  bool checkFailed = false;
};

}  // namespace tessivar::directory
