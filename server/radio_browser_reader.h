#pragma once

#include "server/public_station.h"

#include <istream>
#include <string>

namespace tessivar::directory {

// Reads the JSON station list of the public radio directory's API (an array of objects with
// name, url, url_resolved, homepage, tags, country, state, codec, bitrate, lastcheckok, ...) as it
// streams in, handing each station over as soon as its object ends: the address is url_resolved
// when it has one, else url; unknown keys and nested values are passed over. A file that is not
// such a list throws PublicFormatError with the byte where reading stopped.
void readRadioBrowserStations(std::istream &in, const std::string &name, const PublicStationSink &sink);

}  // namespace tessivar::directory
