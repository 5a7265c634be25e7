#include "server/sqlite/catalogue_schema.h"

#include "server/sqlite/catalogue_derived.h"
#include "server/sqlite/sqlite_db.h"

#include <string_view>

namespace tessivar::directory {

namespace {

// entries.page_head, entries.page_tail and the table entry_match (what a keyword search reads for
// each candidate, in small rows) are derived from the other columns (see catalogue_derived.h); an
// import clears page_head of every entry it changes and refreshes them.
// kind: 0 radio station, 1 television channel, 2 on-demand clip.
// family: see format_family.h. check_failed: 1 when the stream failed the last check.
// checked_at ... claimed_until: the stream check's findings (times in seconds since the epoch;
// hidden: left out of answers, see failingAfterSeconds).
// catalogue_state.generation: raised by every change to entries (imports, stream checks), so the
// server's answer cache knows when its answers are out of date.
// url_key is unique through the index entries_by_url_key, which an import into an empty catalogue can
// drop and make again; catalogues made by older builds have it as a column constraint instead (its
// index, sqlite_autoindex_entries_1, cannot be dropped) and keep it.
constexpr const char *schema = R"sql(
CREATE TABLE IF NOT EXISTS shows (
  id INTEGER PRIMARY KEY,
  title TEXT NOT NULL UNIQUE
);
CREATE TABLE IF NOT EXISTS entries (
  id INTEGER PRIMARY KEY,
  kind INTEGER NOT NULL,
  url_key TEXT NOT NULL,
  url TEXT NOT NULL,
  name TEXT NOT NULL,
  format TEXT NOT NULL DEFAULT '',
  family INTEGER NOT NULL DEFAULT 0,
  location TEXT NOT NULL DEFAULT '',
  state TEXT NOT NULL DEFAULT '',
  country TEXT NOT NULL DEFAULT '',
  genre TEXT NOT NULL DEFAULT '',
  homepage TEXT NOT NULL DEFAULT '',
  bitrate INTEGER NOT NULL DEFAULT 0,
  duration INTEGER NOT NULL DEFAULT 0,
  show_id INTEGER REFERENCES shows(id),
  initial TEXT NOT NULL DEFAULT '',
  check_failed INTEGER NOT NULL DEFAULT 0,
  checked_at INTEGER,
  last_good INTEGER,
  check_failures INTEGER NOT NULL DEFAULT 0,
  check_reason TEXT NOT NULL DEFAULT '',
  stream_type TEXT NOT NULL DEFAULT '',
  icy_name TEXT NOT NULL DEFAULT '',
  icy_bitrate TEXT NOT NULL DEFAULT '',
  icy_genre TEXT NOT NULL DEFAULT '',
  hidden INTEGER NOT NULL DEFAULT 0,
  claimed_until INTEGER,
  page_head TEXT NOT NULL DEFAULT '',
  page_tail TEXT NOT NULL DEFAULT ''
);
CREATE TABLE IF NOT EXISTS entry_match (
  id INTEGER PRIMARY KEY REFERENCES entries(id) ON DELETE CASCADE,
  kind INTEGER NOT NULL,
  family INTEGER NOT NULL,
  bitrate INTEGER NOT NULL,
  duration INTEGER NOT NULL,
  name_order INTEGER NOT NULL DEFAULT 0,
  fold_name TEXT NOT NULL,
  fold_format TEXT NOT NULL,
  fold_location TEXT NOT NULL,
  fold_genre TEXT NOT NULL
);
CREATE VIRTUAL TABLE IF NOT EXISTS entry_text USING fts5(
  name, format, location, genre, content='entries', content_rowid='id', tokenize='trigram');
CREATE TABLE IF NOT EXISTS catalogue_state (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  generation INTEGER NOT NULL
);
INSERT OR IGNORE INTO catalogue_state (id, generation) VALUES (1, 0);
CREATE TABLE IF NOT EXISTS search_counts (
  term TEXT PRIMARY KEY,
  searches INTEGER NOT NULL
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS signups (
  email TEXT PRIMARY KEY COLLATE NOCASE,
  name TEXT NOT NULL,
  program TEXT NOT NULL,
  signed_up TEXT NOT NULL
);
CREATE INDEX IF NOT EXISTS signups_by_time ON signups(signed_up);
)sql";

// The indexes of entries other than by address; created after the tables.
constexpr const char *entryIndexes = R"sql(
CREATE INDEX IF NOT EXISTS entries_by_name ON entries(name COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS entries_by_initial ON entries(kind, initial, name COLLATE NOCASE, id);
CREATE INDEX IF NOT EXISTS entries_by_show ON entries(show_id);
)sql";

// Entries by their stream address's key, unless the table has it unique from its older definition.
constexpr const char *addressIndex =
    "CREATE UNIQUE INDEX IF NOT EXISTS entries_by_url_key ON entries(url_key)";

// What the stream check claims by; made once the layout has its columns.
constexpr const char *checkIndex = "CREATE INDEX IF NOT EXISTS entries_by_check ON entries(checked_at)";

constexpr const char *textTriggers = R"sql(
CREATE TRIGGER IF NOT EXISTS entries_text_insert AFTER INSERT ON entries BEGIN
  INSERT INTO entry_text(rowid, name, format, location, genre)
    VALUES (new.id, new.name, new.format, new.location, new.genre);
END;
CREATE TRIGGER IF NOT EXISTS entries_text_delete AFTER DELETE ON entries BEGIN
  INSERT INTO entry_text(entry_text, rowid, name, format, location, genre)
    VALUES ('delete', old.id, old.name, old.format, old.location, old.genre);
END;
CREATE TRIGGER IF NOT EXISTS entries_text_update AFTER UPDATE OF name, format, location, genre ON entries BEGIN
  INSERT INTO entry_text(entry_text, rowid, name, format, location, genre)
    VALUES ('delete', old.id, old.name, old.format, old.location, old.genre);
  INSERT INTO entry_text(rowid, name, format, location, genre)
    VALUES (new.id, new.name, new.format, new.location, new.genre);
END;
)sql";

// The layout version in PRAGMA user_version: 3 added the derived columns and entry_match; 4 lists all
// entries in the order of the index by name alone (entries_by_name, made by the schema above), in place
// of the one by kind and name; 5 added the stream check's columns.
constexpr int layoutVersion = 5;

const char *const derivedColumns[] = {"page_head TEXT NOT NULL DEFAULT ''",
                                      "page_tail TEXT NOT NULL DEFAULT ''"};
const char *const checkColumns[] = {"checked_at INTEGER",
                                    "last_good INTEGER",
                                    "check_failures INTEGER NOT NULL DEFAULT 0",
                                    "check_reason TEXT NOT NULL DEFAULT ''",
                                    "stream_type TEXT NOT NULL DEFAULT ''",
                                    "icy_name TEXT NOT NULL DEFAULT ''",
                                    "icy_bitrate TEXT NOT NULL DEFAULT ''",
                                    "icy_genre TEXT NOT NULL DEFAULT ''",
                                    "hidden INTEGER NOT NULL DEFAULT 0",
                                    "claimed_until INTEGER"};

std::int64_t storedVersion(Database &db)
{
  auto statement = db.query("PRAGMA user_version");
  return statement->step() ? statement->integer(0) : 0;
}

template <std::size_t N>
void addMissingColumns(Database &db, const char *const (&columns)[N])
{
  for (const char *column : columns) {
    const std::string name(column, std::string_view(column).find(' '));
    auto present = db.query("SELECT count(*) FROM pragma_table_info('entries') WHERE name = ?1");
    present->bind(1, name);
    if (present->step() && present->integer(0) == 0)
      db.execute(("ALTER TABLE entries ADD COLUMN " + std::string(column)).c_str());
  }
}

// Before layout 3: the derived columns and entry_match, filled in, and the narrower update trigger (the
// derived columns are not indexed text).
void addDerivedData(Database &db)
{
  addMissingColumns(db, derivedColumns);
  db.execute("DROP TRIGGER IF EXISTS entries_text_update");
  createTextTriggers(db);
  db.execute("UPDATE entries SET page_head = ''");
  refreshDerivedColumns(db);
}

// A catalogue written by an older build is brought to the current layout in one transaction.
void upgrade(Database &db)
{
  if (storedVersion(db) >= layoutVersion) return;
  Transaction transaction(db);
  // Another process (a server and an import started together) may have upgraded it meanwhile.
  const std::int64_t version = storedVersion(db);
  if (version >= layoutVersion) return;
  if (version < 3) addDerivedData(db);
  if (version < 5) addMissingColumns(db, checkColumns);
  db.execute("DROP INDEX IF EXISTS entries_by_kind_name");
  db.execute(("PRAGMA user_version = " + std::to_string(layoutVersion)).c_str());
  transaction.commit();
}

}  // namespace

void dropTextTriggers(Database &db)
{
  db.execute("DROP TRIGGER IF EXISTS entries_text_insert");
  db.execute("DROP TRIGGER IF EXISTS entries_text_update");
  db.execute("DROP TRIGGER IF EXISTS entries_text_delete");
}

void createTextTriggers(Database &db)
{
  db.execute(textTriggers);
}

void dropEntryIndexes(Database &db)
{
  db.execute("DROP INDEX IF EXISTS entries_by_name");
  db.execute("DROP INDEX IF EXISTS entries_by_initial");
  db.execute("DROP INDEX IF EXISTS entries_by_show");
}

void createEntryIndexes(Database &db)
{
  db.execute(entryIndexes);
}

bool hasDroppableAddressIndex(Database &db)
{
  auto older = db.query("SELECT count(*) FROM sqlite_schema WHERE name = 'sqlite_autoindex_entries_1'");
  return older->step() && older->integer(0) == 0;
}

void dropAddressIndex(Database &db)
{
  db.execute("DROP INDEX entries_by_url_key");
}

void createAddressIndex(Database &db)
{
  db.execute(addressIndex);
}

std::unique_ptr<Database> openCatalogue(const std::string &path)
{
  auto db = std::make_unique<Database>(path);
  db->execute("PRAGMA journal_mode=WAL");
  db->execute("PRAGMA synchronous=NORMAL");
  db->execute("PRAGMA foreign_keys=ON");
  db->execute(schema);
  if (hasDroppableAddressIndex(*db)) createAddressIndex(*db);
  createEntryIndexes(*db);
  createTextTriggers(*db);
  upgrade(*db);
  db->execute(checkIndex);
  return db;
}

std::unique_ptr<Database> openReader(const std::string &path)
{
  auto db = std::make_unique<Database>(path);
  db->execute("PRAGMA query_only=1");
  // Searches read many rows in scattered order: map the file instead of copying pages, all of it (a
  // catalogue of a million entries is over 600 MB; SQLite caps this at 2 GB).
  db->execute("PRAGMA mmap_size=2147418112");
  return db;
}

}  // namespace tessivar::directory
