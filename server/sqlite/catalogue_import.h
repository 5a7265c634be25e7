#pragma once

#include "server/catalogue_backend.h"

#include <string>

namespace tessivar::directory {

class Database;

// Each loads one file into the catalogue in one transaction; the stream address is the key, so
// loading a file again updates its entries instead of adding them twice. A file that cannot be
// read throws std::runtime_error and changes nothing.
//
// stations CSV: name,stream_url,homepage,tags,country,state,codec,bitrate
// tv CSV:       name,stream_url,homepage,category,country
// clips CSV:    title,url,duration_seconds,bitrate,homepage,tags[,show]; a clips file NAME.csv may
//               have NAME_provenance.csv (url,show_id) and NAME_shows.csv (show_id,show_title,...)
//               beside it, which give each clip its show.
ImportCount importStations(Database &db, const std::string &path);
ImportCount importTelevision(Database &db, const std::string &path);
ImportCount importClips(Database &db, const std::string &path);
ImportCount importM3u(Database &db, const std::string &path);
ImportCount importPls(Database &db, const std::string &path);
// The one of them for the source.
ImportCount importFile(Database &db, ImportSource source, const std::string &path);

// The catalogue key of a stream address: host in lower case without a default port, then the
// path without a trailing "/" and the query; the scheme is left out. Empty for no address.
std::string streamKey(const std::string &url);

}  // namespace tessivar::directory
