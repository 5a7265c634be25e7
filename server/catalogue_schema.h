#pragma once

#include <memory>
#include <string>

namespace tessivar::directory {

class Database;

// Opens a catalogue database, creating or upgrading its tables, in WAL mode.
std::unique_ptr<Database> openCatalogue(const std::string &path);

// Opens another connection to a catalogue that openCatalogue() has already prepared; it refuses writes.
std::unique_ptr<Database> openReader(const std::string &path);

}  // namespace tessivar::directory
