#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace tessivar::directory {

// A station as the public directories' lists give it, before the import cleans it.
struct PublicStation
{
  std::string name;
  std::string url;
  std::string homepage;
  std::string tags;  // comma-separated
  std::string country;
  std::string state;
  std::string codec;
  std::int64_t bitrate = 0;  // kbps, 0 unknown
  // The directory's own last check of the stream failed.
  bool lastCheckFailed = false;
};

using PublicStationSink = std::function<void(const PublicStation &)>;

// A file that is not the format it was given as; what() names the file and where the reading
// stopped.
class PublicFormatError : public std::runtime_error
{
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tessivar::directory
