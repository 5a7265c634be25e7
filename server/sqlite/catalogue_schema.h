#pragma once

#include <memory>
#include <string>

namespace tessivar::directory {

class Database;

// Opens a catalogue database, creating or upgrading its tables, in WAL mode.
std::unique_ptr<Database> openCatalogue(const std::string &path);

// The triggers that keep the full-text index entry_text in step with the texts of entries, one at a
// time. An import of many entries drops them in its transaction, updates the index in a few large
// statements instead (FTS5 writes its pending data out at the end of every statement that changes it)
// and puts them back before it commits.
void dropTextTriggers(Database &db);
void createTextTriggers(Database &db);

// The indexes of entries by name, by initial and by show. An import into an empty catalogue drops them in
// its transaction and makes them again from the rows it has written (sorting once is far cheaper than
// inserting a million rows into three indexes in scattered order).
void dropEntryIndexes(Database &db);
void createEntryIndexes(Database &db);

// The unique index of entries by url_key. An import into an empty catalogue drops it in its transaction,
// finds addresses it meets twice itself and makes the index again from the rows it has written; a
// catalogue made by an older build has it as part of the table instead (hasDroppableAddressIndex() is
// false), and is left as it is.
bool hasDroppableAddressIndex(Database &db);
void dropAddressIndex(Database &db);
void createAddressIndex(Database &db);

// Opens another connection to a catalogue that openCatalogue() has already prepared; it refuses writes.
std::unique_ptr<Database> openReader(const std::string &path);

}  // namespace tessivar::directory
