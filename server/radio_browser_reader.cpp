#include "server/radio_browser_reader.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace tessivar::directory {

namespace {

using Json = nlohmann::json;

// Keeps one station at a time: the values of the keys it knows, at depth 2 (inside an object
// inside the top array).
class StationHandler final : public nlohmann::json_sax<Json>
{
 public:
  explicit StationHandler(const PublicStationSink &sink) : sink_(sink) {}

  std::string error;

  bool null() override { return scalar({}); }
  bool boolean(bool value) override { return scalar(value ? "1" : "0"); }
  bool number_integer(number_integer_t value) override { return scalar(std::to_string(value)); }
  bool number_unsigned(number_unsigned_t value) override { return scalar(std::to_string(value)); }
  bool number_float(number_float_t value, const string_t &) override
  {
    return scalar(std::isfinite(value) ? std::to_string(std::llround(value)) : std::string());
  }
  bool string(string_t &value) override { return scalar(value); }
  bool binary(binary_t &) override { return scalar({}); }

  bool start_object(std::size_t) override
  {
    if (depth_ == 0) return fail("the file is not a list of stations");
    if (++depth_ == 2) {
      station_ = {};
      resolved_.clear();
    }
    return true;
  }
  bool key(string_t &value) override
  {
    if (depth_ == 2) key_ = value;
    return true;
  }
  bool end_object() override
  {
    if (--depth_ == 1) {
      if (!resolved_.empty()) station_.url = resolved_;
      sink_(station_);
    }
    key_.clear();
    return true;
  }
  bool start_array(std::size_t) override
  {
    ++depth_;
    return true;
  }
  bool end_array() override
  {
    --depth_;
    key_.clear();
    return true;
  }
  bool parse_error(std::size_t position, const std::string &, const nlohmann::detail::exception &ex) override
  {
    error = "byte " + std::to_string(position) + ": " + ex.what();
    return false;
  }

 private:
  bool fail(std::string text)
  {
    error = std::move(text);
    return false;
  }

  bool scalar(const std::string &value)
  {
    if (depth_ == 0) return fail("the file is not a list of stations");
    if (depth_ != 2) return true;
    if (key_ == "name")
      station_.name = value;
    else if (key_ == "url")
      station_.url = value;
    else if (key_ == "url_resolved")
      resolved_ = value;
    else if (key_ == "homepage")
      station_.homepage = value;
    else if (key_ == "tags")
      station_.tags = value;
    else if (key_ == "country")
      station_.country = value;
    else if (key_ == "state")
      station_.state = value;
    else if (key_ == "codec")
      station_.codec = value;
    else if (key_ == "bitrate")
      station_.bitrate = value.empty() ? 0 : std::strtoll(value.c_str(), nullptr, 10);
    else if (key_ == "lastcheckok")
      station_.lastCheckFailed = value == "0";
    return true;
  }

  const PublicStationSink &sink_;
  int depth_ = 0;
  std::string key_;
  PublicStation station_;
  std::string resolved_;
};

}  // namespace

void readRadioBrowserStations(std::istream &in, const std::string &name, const PublicStationSink &sink)
{
  StationHandler handler(sink);
  if (!Json::sax_parse(in, &handler) || !handler.error.empty())
    throw PublicFormatError(name + ": " + (handler.error.empty() ? "not JSON" : handler.error));
}

}  // namespace tessivar::directory
