#include "server/postgresql/pg_schema.h"

#include "server/postgresql/pg_connection.h"

namespace tessivar::directory {

namespace {

// The same catalogue as the SQLite file. What a keyword search reads for each candidate is in the
// narrow table entry_match: the filter values, the searched fields trimmed and case-folded (fold_*;
// fold_all is the four joined by line feeds) and name_key, the name as the order "by name ignoring
// case" compares it (each UTF-16 unit case-folded, four hex digits each), so no import has to
// renumber the others. One trigram index on fold_all finds the candidates of every search (those
// of a genre search too: a word in the genre is in fold_all; the scoring sorts them out). entries.page_head
// and page_tail are the page line's fixed parts. Lists by name are ordered like SQLite's NOCASE
// (ASCII letters folded, then bytes), hence lower() under the "C" collation. Numbers are assigned by
// import, one above the highest, as in the SQLite file, so both give the same pages.
constexpr const char *schema = R"sql(
CREATE EXTENSION IF NOT EXISTS pg_trgm;
CREATE TABLE IF NOT EXISTS shows (
  id bigserial PRIMARY KEY,
  title text COLLATE "C" NOT NULL UNIQUE
);
CREATE TABLE IF NOT EXISTS entries (
  id bigint PRIMARY KEY,
  kind integer NOT NULL,
  url_key text COLLATE "C" NOT NULL UNIQUE,
  url text NOT NULL,
  name text COLLATE "C" NOT NULL,
  format text NOT NULL DEFAULT '',
  family integer NOT NULL DEFAULT 0,
  location text NOT NULL DEFAULT '',
  state text NOT NULL DEFAULT '',
  country text NOT NULL DEFAULT '',
  genre text NOT NULL DEFAULT '',
  homepage text NOT NULL DEFAULT '',
  bitrate bigint NOT NULL DEFAULT 0,
  duration bigint NOT NULL DEFAULT 0,
  show_id bigint REFERENCES shows(id),
  initial text COLLATE "C" NOT NULL DEFAULT '',
  check_failed integer NOT NULL DEFAULT 0,
  page_head text NOT NULL DEFAULT '',
  page_tail text NOT NULL DEFAULT ''
);
CREATE TABLE IF NOT EXISTS entry_match (
  id bigint PRIMARY KEY REFERENCES entries(id) ON DELETE CASCADE,
  kind integer NOT NULL,
  family integer NOT NULL,
  bitrate bigint NOT NULL,
  duration bigint NOT NULL,
  name_key text COLLATE "C" NOT NULL,
  fold_name text COLLATE "C" NOT NULL,
  fold_format text COLLATE "C" NOT NULL,
  fold_location text COLLATE "C" NOT NULL,
  fold_genre text COLLATE "C" NOT NULL,
  fold_all text COLLATE "C" NOT NULL
);
CREATE INDEX IF NOT EXISTS entry_match_text ON entry_match USING gin (fold_all gin_trgm_ops);
CREATE INDEX IF NOT EXISTS entries_by_kind_name ON entries (kind, lower(name), id);
CREATE INDEX IF NOT EXISTS entries_by_initial ON entries (kind, initial, lower(name), id);
CREATE INDEX IF NOT EXISTS entries_by_show ON entries (show_id);
CREATE TABLE IF NOT EXISTS catalogue_state (
  id integer PRIMARY KEY CHECK (id = 1),
  generation bigint NOT NULL
);
INSERT INTO catalogue_state (id, generation) VALUES (1, 0) ON CONFLICT (id) DO NOTHING;
CREATE TABLE IF NOT EXISTS search_counts (
  term text COLLATE "C" PRIMARY KEY,
  searches bigint NOT NULL
);
CREATE TABLE IF NOT EXISTS signups (
  email text COLLATE "C" NOT NULL,
  name text NOT NULL,
  program text NOT NULL,
  signed_up text NOT NULL
);
CREATE UNIQUE INDEX IF NOT EXISTS signups_by_email ON signups (lower(email));
CREATE INDEX IF NOT EXISTS signups_by_time ON signups (signed_up);
ALTER TABLE entries ADD COLUMN IF NOT EXISTS checked_at bigint;
ALTER TABLE entries ADD COLUMN IF NOT EXISTS last_good bigint;
ALTER TABLE entries ADD COLUMN IF NOT EXISTS check_failures integer NOT NULL DEFAULT 0;
ALTER TABLE entries ADD COLUMN IF NOT EXISTS check_reason text NOT NULL DEFAULT '';
ALTER TABLE entries ADD COLUMN IF NOT EXISTS stream_type text NOT NULL DEFAULT '';
ALTER TABLE entries ADD COLUMN IF NOT EXISTS icy_name text NOT NULL DEFAULT '';
ALTER TABLE entries ADD COLUMN IF NOT EXISTS icy_bitrate text NOT NULL DEFAULT '';
ALTER TABLE entries ADD COLUMN IF NOT EXISTS icy_genre text NOT NULL DEFAULT '';
ALTER TABLE entries ADD COLUMN IF NOT EXISTS hidden integer NOT NULL DEFAULT 0;
ALTER TABLE entries ADD COLUMN IF NOT EXISTS claimed_until bigint;
CREATE INDEX IF NOT EXISTS entries_by_check ON entries (checked_at);
)sql";

}  // namespace

void preparePgCatalogue(PgConnection &connection)
{
  // Quick look first (for what the schema makes last): a prepared catalogue needs no lock.
  {
    auto made = connection.statement("SELECT to_regclass('entries_by_check') IS NOT NULL");
    if (made->step() && made->textView(0) == "t") return;
  }
  PgTransaction transaction(connection);
  // Processes starting together take turns; the number is this program's own.
  connection.execute("SELECT pg_advisory_xact_lock(7342019)");
  connection.execute(schema);
  transaction.commit();
}

}  // namespace tessivar::directory
