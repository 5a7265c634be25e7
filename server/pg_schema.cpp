#include "server/pg_schema.h"

#include "server/pg_connection.h"

namespace tessivar::directory {

namespace {

// The same catalogue as the SQLite file, with the derived data in the entries' own rows:
// page_head and page_tail (the page line's fixed parts), the searched fields trimmed and
// case-folded (fold_*, fold_all all four joined by line feeds) and name_order (the place among all
// entries by name ignoring case, then number). Trigram indexes on the folded texts find the
// candidates of a keyword search. Names are ordered like SQLite's NOCASE: ASCII letters folded,
// then bytes, hence lower() under the "C" collation. Numbers are assigned by import, one above
// the highest, as in the SQLite file, so both give the same pages.
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
  page_tail text NOT NULL DEFAULT '',
  name_order bigint NOT NULL DEFAULT 0,
  fold_name text COLLATE "C" NOT NULL DEFAULT '',
  fold_format text COLLATE "C" NOT NULL DEFAULT '',
  fold_location text COLLATE "C" NOT NULL DEFAULT '',
  fold_genre text COLLATE "C" NOT NULL DEFAULT '',
  fold_all text COLLATE "C" NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS entries_text ON entries USING gin (fold_all gin_trgm_ops);
CREATE INDEX IF NOT EXISTS entries_genre_text ON entries USING gin (fold_genre gin_trgm_ops);
CREATE INDEX IF NOT EXISTS entries_name_text ON entries USING gin (fold_name gin_trgm_ops);
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
)sql";

}  // namespace

void preparePgCatalogue(PgConnection &connection)
{
  // Quick look first: a prepared catalogue needs no lock.
  if (connection.query("SELECT to_regclass('catalogue_state') IS NOT NULL").text(0, 0) == "t") return;
  PgTransaction transaction(connection);
  // Processes starting together take turns; the number is this program's own.
  connection.execute("SELECT pg_advisory_xact_lock(7342019)");
  connection.execute(schema);
  transaction.commit();
}

}  // namespace tessivar::directory
