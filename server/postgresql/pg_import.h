#pragma once

#include "server/catalogue_backend.h"

#include <string>
#include <string_view>

namespace tessivar::directory {

class PgConnection;

// Loads one file into the PostgreSQL catalogue with import's rules: the file is first read into a
// private SQLite catalogue by the same import code, then its entries go over in one transaction,
// updated in place by their address key (new ones numbered one above the highest, in file
// order), with their derived data; the generation is raised in the same transaction. A file that
// cannot be read changes nothing.
ImportCount importIntoPg(PgConnection &connection, ImportSource source, const std::string &path);

// The name as the order "by name ignoring case" (QString::compare, Qt::CaseInsensitive) sees it, in
// a form whose byte order is that order: each UTF-16 unit case-folded, as four hex digits.
std::string pgNameKey(std::string_view name);

}  // namespace tessivar::directory
