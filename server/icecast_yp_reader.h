#pragma once

#include "server/public_station.h"

#include <istream>
#include <string>

namespace tessivar::directory {

// Reads an Icecast directory listing (yp.xml: <entry> elements with server_name, listen_url,
// server_type, bitrate and genre) as it streams in, handing each station over when its entry
// ends. The stream's media type becomes the codec ("audio/mpeg" is "MP3"), the genre's words its
// tags. A file that is not well-formed XML with a <directory> root throws PublicFormatError with
// the line and column where reading stopped.
void readIcecastYpStations(std::istream &in, const std::string &name, const PublicStationSink &sink);

// The codec name the catalogue uses for a stream's media type; the type itself when unknown.
std::string codecOfMediaType(const std::string &type);

}  // namespace tessivar::directory
