#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessivar::directory {

using Params = std::multimap<std::string, std::string>;

// The query parameters of one request, checked: every value must be UTF-8, and a parameter the
// endpoint knows may appear once. Parameters it does not know are ignored.
class RequestParams
{
 public:
  RequestParams(const Params &params, const std::vector<std::string> &known);

  // Why the request is refused, or empty.
  const std::string &error() const { return error_; }

  std::optional<std::string> text(const std::string &name) const;
  // True when the parameter is exactly "1".
  bool isOne(const std::string &name) const;
  // A whole number of at most maxValue; absent gives fallback; anything but digits refuses the request.
  std::int64_t number(const std::string &name, std::int64_t maxValue, std::int64_t fallback = 0);

 private:
  const Params &params_;
  std::string error_;
};

}  // namespace tessivar::directory
