#include "server/icecast_yp_reader.h"

#include <expat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <memory>

namespace tessivar::directory {

namespace {

struct ParserDeleter
{
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

struct Reading
{
  explicit Reading(const PublicStationSink &to) : sink(to) {}

  const PublicStationSink &sink;
  int depth = 0;
  bool inEntry = false;
  std::string field;  // the element whose text is being read, inside an entry
  std::string text;
  PublicStation station;
  std::string rootError;
  XML_Parser parser = nullptr;
};

std::string trimmed(const std::string &text)
{
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// Genres are separated by blanks in the listing and by commas in the catalogue.
std::string tagsOf(const std::string &genre)
{
  std::string tags;
  std::size_t at = 0;
  while (at < genre.size()) {
    const auto begin = genre.find_first_not_of(" \t,", at);
    if (begin == std::string::npos) break;
    const auto end = std::min(genre.find_first_of(" \t,", begin), genre.size());
    tags += (tags.empty() ? "" : ",") + genre.substr(begin, end - begin);
    at = end;
  }
  return tags;
}

void XMLCALL started(void *data, const XML_Char *element, const XML_Char **)
{
  auto &reading = *static_cast<Reading *>(data);
  ++reading.depth;
  if (reading.depth == 1 && std::strcmp(element, "directory") != 0) {
    reading.rootError = "the root element is <" + std::string(element) + ">, not <directory>";
    XML_StopParser(reading.parser, XML_FALSE);
    return;
  }
  if (reading.depth == 2 && std::strcmp(element, "entry") == 0) {
    reading.inEntry = true;
    reading.station = {};
  } else if (reading.inEntry && reading.depth == 3) {
    reading.field = element;
    reading.text.clear();
  }
}

void XMLCALL ended(void *data, const XML_Char *)
{
  auto &reading = *static_cast<Reading *>(data);
  if (reading.inEntry && reading.depth == 3) {
    const std::string value = trimmed(reading.text);
    PublicStation &station = reading.station;
    if (reading.field == "server_name")
      station.name = value;
    else if (reading.field == "listen_url")
      station.url = value;
    else if (reading.field == "server_type")
      station.codec = codecOfMediaType(value);
    else if (reading.field == "bitrate")
      station.bitrate = std::strtoll(value.c_str(), nullptr, 10);
    else if (reading.field == "genre")
      station.tags = tagsOf(value);
    reading.field.clear();
  } else if (reading.inEntry && reading.depth == 2) {
    reading.inEntry = false;
    reading.sink(reading.station);
  }
  --reading.depth;
}

void XMLCALL characters(void *data, const XML_Char *text, int length)
{
  auto &reading = *static_cast<Reading *>(data);
  // Text of a known field only, and bounded: a listing's values are short.
  if (!reading.field.empty() && reading.text.size() < 64 * 1024)
    reading.text.append(text, std::size_t(length));
}

}  // namespace

std::string codecOfMediaType(const std::string &type)
{
  std::string lower = type;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  static constexpr std::array<std::pair<const char *, const char *>, 9> known{{
      {"audio/mpeg", "MP3"},
      {"audio/mp3", "MP3"},
      {"audio/aac", "AAC"},
      {"audio/aacp", "AAC+"},
      {"application/ogg", "OGG"},
      {"audio/ogg", "OGG"},
      {"audio/opus", "OPUS"},
      {"audio/flac", "FLAC"},
      {"video/nsv", "NSV"},
  }};
  for (const auto &[media, codec] : known) {
    if (lower == media) return codec;
  }
  return type;
}

void readIcecastYpStations(std::istream &in, const std::string &name, const PublicStationSink &sink)
{
  const std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate("UTF-8"));
  if (!parser) throw std::bad_alloc();
  Reading reading(sink);
  reading.parser = parser.get();
  XML_SetUserData(parser.get(), &reading);
  XML_SetElementHandler(parser.get(), started, ended);
  XML_SetCharacterDataHandler(parser.get(), characters);

  std::array<char, 64 * 1024> buffer{};
  for (;;) {
    in.read(buffer.data(), buffer.size());
    const auto got = in.gcount();
    const bool last = got < std::streamsize(buffer.size());
    if (XML_Parse(parser.get(), buffer.data(), int(got), last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
      const std::string why =
          reading.rootError.empty() ? XML_ErrorString(XML_GetErrorCode(parser.get())) : reading.rootError;
      throw PublicFormatError(name + ": line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                              ", column " + std::to_string(XML_GetCurrentColumnNumber(parser.get()) + 1) +
                              ": " + why);
    }
    if (last) break;
  }
}

}  // namespace tessivar::directory
