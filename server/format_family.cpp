#include "server/format_family.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tessivar::directory {

namespace {

std::string lower(std::string_view text)
{
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

std::string upper(std::string_view text)
{
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
  return out;
}

// The extension of the address's path (query and fragment left out), lower case, without the dot.
std::string pathExtension(const std::string &url)
{
  std::string_view path = url;
  if (const auto scheme = path.find("://"); scheme != std::string_view::npos) {
    path.remove_prefix(scheme + 3);
    const auto slash = path.find('/');
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash);
  }
  path = path.substr(0, path.find_first_of("?#"));
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return {};
  return std::string(path.substr(dot + 1));
}

bool oneOf(const std::string &value, std::initializer_list<const char *> options)
{
  return std::any_of(options.begin(), options.end(), [&](const char *option) { return value == option; });
}

FormatGuess guess(FormatFamily family, std::string_view codec, const char *fallbackText)
{
  return {family, codec.empty() ? std::string(fallbackText) : upper(codec)};
}

}  // namespace

FormatGuess classifyFormat(EntryKind kind, std::string_view codecText, std::string_view urlText)
{
  const std::string url = lower(urlText);
  const std::string codec = upper(codecText);
  const std::string ext = pathExtension(url);

  if (url.rfind("ftp://", 0) == 0) {
    if (ext == "wav") return {FormatFamily::WavFtp, "WAV Audio"};
    if (oneOf(ext, {"mpg", "mpeg", "mpe", "m1v", "mpa", "mp4", "m4v"}))
      return {FormatFamily::MpegFtp, "MPEG Video"};
    if (oneOf(ext, {"asf", "asx", "wma", "wmv", "wax", "avi"}))
      return {FormatFamily::WindowsFtp, "Windows Media"};
    return {FormatFamily::Mp3Ftp, "MP3"};
  }
  if (oneOf(ext, {"ra", "ram", "rpm", "smi", "smil"}) || url.rfind("rtsp://", 0) == 0 ||
      url.rfind("pnm://", 0) == 0 || codec.find("REAL") != std::string::npos)
    return {FormatFamily::RealAudio, "RealAudio"};
  if (oneOf(ext, {"rm", "rmvb", "rv"})) return {FormatFamily::RealVideo, "RealVideo"};
  if (oneOf(ext, {"wma", "wax", "asx"}) || url.rfind("mms://", 0) == 0 || url.rfind("mmsh://", 0) == 0 ||
      codec == "WMA")
    return {FormatFamily::WindowsAudio, "Windows Media Audio"};
  if (oneOf(ext, {"wmv", "asf"}) || codec == "WMV")
    return {FormatFamily::WindowsVideo, "Windows Media Video"};
  if (ext == "avi") return {FormatFamily::Avi, "AVI Video"};
  if (ext == "wav") return {FormatFamily::Wav, "WAV Audio"};
  if (ext == "xdm") return {FormatFamily::StreamWorks, "Xing StreamWorks"};
  if (oneOf(ext, {"mpg", "mpeg", "mpe", "m1v", "mpa", "mp4", "m4v", "mov", "mkv", "webm"}))
    return {FormatFamily::Mpeg, "MPEG Video"};
  const bool segmented = oneOf(ext, {"m3u8", "mpd", "ts", "flv"}) || oneOf(codec, {"HLS", "FLV"});
  if (codec.find("H.264") != std::string::npos || (segmented && kind != EntryKind::Radio))
    return guess(FormatFamily::HlsVideo, codec, "HLS Video");
  if (segmented)  // a radio station's HLS stream carries AAC or MP3 audio
    return guess(FormatFamily::Mp3, codec, "HLS");
  if (oneOf(ext, {"mp3", "pls", "m3u"})) return guess(FormatFamily::Mp3, codec, "MP3");
  if (oneOf(ext, {"aac", "m4a", "m4b"})) return guess(FormatFamily::Mp3, codec, "AAC");
  if (oneOf(ext, {"ogg", "oga", "opus"})) return guess(FormatFamily::Mp3, codec, "OGG");
  if (ext == "flac") return guess(FormatFamily::Mp3, codec, "FLAC");
  if (oneOf(codec, {"MP3", "MPEG", "AAC", "AAC+", "HE-AAC", "OGG", "ADTS", "FLAC", "OPUS", "VORBIS"}))
    return {FormatFamily::Mp3, codec};
  if (kind == EntryKind::Television) return guess(FormatFamily::HlsVideo, codec, "HLS Video");
  return {FormatFamily::Unknown, codec.empty() ? std::string("Unknown") : codec};
}

namespace {

struct FlagFamilies
{
  const char *flag;
  std::uint32_t families;
};

constexpr std::array<FlagFamilies, 13> flagTable{{
    {"RA", familyBit(FormatFamily::RealAudio)},
    {"MA", familyBit(FormatFamily::Mp3)},
    {"RV", familyBit(FormatFamily::RealVideo)},
    {"NA", familyBit(FormatFamily::WindowsAudio)},
    {"NV", familyBit(FormatFamily::WindowsVideo)},
    {"NAF", familyBit(FormatFamily::WindowsFtp)},
    {"AV", familyBit(FormatFamily::Avi)},
    {"MPEGF", familyBit(FormatFamily::MpegFtp)},
    {"WA", familyBit(FormatFamily::Wav)},
    {"SW", familyBit(FormatFamily::StreamWorks)},
    {"WAVF", familyBit(FormatFamily::WavFtp)},
    {"MP3F", familyBit(FormatFamily::Mp3Ftp)},
    {"MPEG", familyBit(FormatFamily::Mpeg) | familyBit(FormatFamily::HlsVideo)},
}};

constexpr std::array<const char *, 14> flagNames{"RA",    "MA", "RV", "NA",   "NV",   "NAF",  "AV",
                                                 "MPEGF", "WA", "SW", "WAVF", "MP3F", "MPEG", nullptr};

}  // namespace

std::uint32_t familiesForFlag(std::string_view flag)
{
  for (const auto &entry : flagTable) {
    if (flag == entry.flag) return entry.families;
  }
  return 0;
}

const char *const *formatFlagNames()
{
  return flagNames.data();
}

}  // namespace tessivar::directory
