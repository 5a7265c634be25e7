#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessivar::directory {

// The player family of a catalogue entry. The numbers are stored in the catalogue.
enum class FormatFamily : int {
  Unknown = 0,
  Mp3 = 1,           // MP3, AAC, Ogg, FLAC streams and files, .pls/.m3u lists
  Mp3Ftp = 2,        // the same on an FTP server
  RealAudio = 3,     // .ra .ram .rpm .smi .smil, rtsp:// and pnm:// addresses
  RealVideo = 4,     // .rm .rmvb .rv
  WindowsAudio = 5,  // .wma .wax .asx, mms:// addresses
  WindowsVideo = 6,  // .wmv .asf
  WindowsFtp = 7,    // Windows Media and AVI files on an FTP server
  Avi = 8,           // .avi
  Mpeg = 9,          // .mpg .mpeg .mpe .m1v .mpa .mp4 .m4v .mov .mkv .webm
  MpegFtp = 10,      // MPEG files on an FTP server
  Wav = 11,          // .wav
  WavFtp = 12,       // .wav on an FTP server
  StreamWorks = 13,  // .xdm
  HlsVideo = 14,     // .m3u8 .mpd .ts, television channels
};

enum class EntryKind : int { Radio = 0, Television = 1, Clip = 2 };

struct FormatGuess
{
  FormatFamily family = FormatFamily::Unknown;
  std::string formatText;  // what the result page shows in its format field
};

// Tells an entry's family and format text from its codec (may be empty) and its address.
FormatGuess classifyFormat(EntryKind kind, std::string_view codec, std::string_view url);

// The families a request's format flag (RA, MA, ..., MPEG) selects, as a bit mask; 0 for an unknown flag.
std::uint32_t familiesForFlag(std::string_view flag);

// Every flag name that familiesForFlag() knows, in the client's order.
const char *const *formatFlagNames();

constexpr std::uint32_t familyBit(FormatFamily family)
{
  return 1u << static_cast<int>(family);
}

constexpr std::uint32_t allFamilies = 0x7fffu;

}  // namespace tessivar::directory
