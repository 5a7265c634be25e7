#include "server/request_params.h"

#include "server/page_text.h"

#include <algorithm>
#include <cctype>

namespace tessivar::directory {

RequestParams::RequestParams(const Params &params, const std::vector<std::string> &known) : params_(params)
{
  for (const auto &[name, value] : params) {
    if (!isValidUtf8(name) || !isValidUtf8(value)) {
      error_ = "A parameter is not valid UTF-8.";
      return;
    }
  }
  for (const auto &name : known) {
    if (params.count(name) > 1) {
      error_ = "The parameter " + name + " is given more than once.";
      return;
    }
  }
}

std::optional<std::string> RequestParams::text(const std::string &name) const
{
  const auto found = params_.find(name);
  if (found == params_.end()) return std::nullopt;
  return found->second;
}

bool RequestParams::isOne(const std::string &name) const
{
  const auto value = text(name);
  return value && *value == "1";
}

std::int64_t RequestParams::number(const std::string &name, std::int64_t maxValue, std::int64_t fallback)
{
  const auto value = text(name);
  if (!value) return fallback;
  const bool digits =
      !value->empty() && value->size() <= 18 &&
      std::all_of(value->begin(), value->end(), [](unsigned char c) { return std::isdigit(c); });
  const std::int64_t number = digits ? std::stoll(*value) : -1;
  if (number < 0 || number > maxValue) {
    if (error_.empty())
      error_ =
          "The parameter " + name + " must be a whole number from 0 to " + std::to_string(maxValue) + ".";
    return fallback;
  }
  return number;
}

}  // namespace tessivar::directory
