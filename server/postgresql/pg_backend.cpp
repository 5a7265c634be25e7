#include "server/postgresql/pg_backend.h"

#include "server/folded_text.h"
#include "server/keyword_search.h"
#include "server/postgresql/pg_connection.h"
#include "server/postgresql/pg_import.h"
#include "server/postgresql/pg_schema.h"

namespace tessivar::directory {

namespace {

#define ENTRY_COLUMNS                                                                                      \
  "e.id, e.kind, e.family, e.url, e.name, e.format, e.location, e.state, e.country, e.genre, e.homepage, " \
  "e.bitrate, e.duration, e.show_id, e.check_failed"

// Lists by name are ordered like SQLite's NOCASE (ASCII letters folded, then bytes), hence lower()
// under the "C" collation; name_key orders as the SQLite file's name_order does.
const CatalogueSql pgSql = {
    .snapshot =
        {"SELECT generation FROM catalogue_state WHERE id = 1",
         "SELECT m.id, row_number() OVER (ORDER BY m.name_key, m.id), m.bitrate, m.duration, m.kind,"
         " m.family, m.fold_name, m.fold_format, m.fold_location, m.fold_genre, e.page_head, e.page_tail,"
         " e.check_failed FROM entry_match m JOIN entries e ON e.id = m.id AND e.hidden = 0 ORDER BY m.id",
         true},
    .listAll =
        "SELECT e.page_head, e.page_tail, e.duration, e.id, e.check_failed"
        " FROM entries e WHERE (($1::bigint >> e.kind) & 1) = 1 AND (($2::bigint >> e.family) & 1) = 1"
        " AND ($3::bigint = 0 OR e.bitrate <= $3) AND ($4::bigint = 0 OR e.kind <> 2 OR e.bitrate >= $4)"
        " AND ($5::bigint = 0 OR e.kind <> 2 OR e.duration >= $5) AND e.hidden = 0 ORDER BY lower(e.name), "
        "e.id",
    .browseCount = "SELECT count(*) FROM entries e WHERE e.kind = 2 AND e.initial = $1 AND e.hidden = 0",
    .browse = "SELECT " ENTRY_COLUMNS
              " FROM entries e WHERE e.kind = 2 AND e.initial = $1 AND e.hidden = 0"
              " ORDER BY lower(e.name), e.id LIMIT $2 OFFSET $3",
    .entryById = "SELECT " ENTRY_COLUMNS " FROM entries e WHERE e.id = $1",
    .sameShow = "SELECT " ENTRY_COLUMNS
                " FROM entries e WHERE e.show_id = $1 AND e.kind = 2 AND e.hidden = 0 LIMIT 500",
    .related = "SELECT " ENTRY_COLUMNS
               " FROM entries e JOIN entry_match m ON m.id = e.id WHERE m.kind = 2"
               " AND m.fold_all LIKE ANY ($3::text[])"
               " AND (m.fold_name LIKE ANY ($1::text[]) OR m.fold_genre LIKE ANY ($2::text[])) AND e.hidden "
               "= 0 ORDER BY e.id"
               " LIMIT 2000",
    .nextStation = "SELECT " ENTRY_COLUMNS
                   " FROM entries e WHERE e.kind = 0 AND e.id > $1"
                   " AND (($2::bigint >> e.family) & 1) = 1 AND ($3::bigint = 0 OR e.bitrate <= $3)"
                   " AND e.hidden = 0 ORDER BY e.id LIMIT 1",
    .recentSignUps = "SELECT count(*) FROM signups WHERE signed_up >= $1",
    .signUp =
        "INSERT INTO signups (email, name, program, signed_up) VALUES ($1, $2, $3, $4)"
        " ON CONFLICT ((lower(email))) DO UPDATE SET name = excluded.name, program = excluded.program,"
        " signed_up = excluded.signed_up",
    .countSearch =
        "INSERT INTO search_counts (term, searches) VALUES ($1, $2)"
        " ON CONFLICT (term) DO UPDATE SET searches = search_counts.searches + excluded.searches",
    .trimSearches =
        "DELETE FROM search_counts WHERE term IN (SELECT term FROM search_counts ORDER BY searches,"
        " term LIMIT greatest(0, (SELECT count(*) FROM search_counts) - $1::bigint))",
    .topSearches = "SELECT term, searches FROM search_counts ORDER BY searches DESC, term LIMIT $1",
    .countDue =
        "SELECT count(*) FROM entries WHERE (checked_at IS NULL OR checked_at < $1::bigint)"
        " AND (claimed_until IS NULL OR claimed_until < $2::bigint)",
    // Checks running at once skip the rows another is claiming.
    .claimDue =
        "UPDATE entries SET claimed_until = $5::bigint WHERE id IN (SELECT id FROM entries"
        " WHERE id > $4::bigint AND (checked_at IS NULL OR checked_at < $1::bigint)"
        " AND (claimed_until IS NULL OR claimed_until < $2::bigint)"
        " ORDER BY id LIMIT $3::bigint FOR UPDATE SKIP LOCKED) RETURNING id, url",
    .recordCheck =
        "UPDATE entries SET checked_at = $2::bigint,"
        " last_good = CASE WHEN $3::bigint = 1 THEN $2::bigint ELSE last_good END,"
        " check_failures = CASE WHEN $3::bigint = 1 THEN 0 ELSE check_failures + 1 END,"
        " check_reason = $4, stream_type = $5, icy_name = $6, icy_bitrate = $7, icy_genre = $8,"
        " check_failed = 1 - $3::integer, claimed_until = NULL,"
        " hidden = CASE WHEN $3::bigint = 1 THEN 0 WHEN check_failures >= 1"
        " AND coalesce(last_good, 0) < $9::bigint THEN 1 ELSE 0 END WHERE id = $1::bigint",
    .releaseClaim = "UPDATE entries SET claimed_until = NULL WHERE id = $1::bigint",
    .raiseGeneration = "UPDATE catalogue_state SET generation = generation + 1",
};

std::string likeAnywhere(std::string_view folded)
{
  std::string pattern = "%";
  for (const char c : folded) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + '%';
}

}  // namespace

PgBackend::PgBackend(const std::string &address, bool showFailing)
    : SqlCatalogue(pgSql, showFailing), pool_([address] { return std::make_unique<PgConnection>(address); })
{
  auto connection = pool_.acquire();
  preparePgCatalogue(*connection);
}

PgBackend::~PgBackend()
{
  stopPreparing();
}

void PgBackend::read(const Work &work, bool repeatable)
{
  {
    auto connection = pool_.acquire();
    try {
      work(*connection);
      return;
    } catch (const DatabaseError &) {
      if (!repeatable || connection->connected()) throw;
    }
  }
  // The server went away since the connection was last used; so did the other idle ones.
  pool_.dropIdle();
  auto connection = pool_.acquire();
  work(*connection);
}

void PgBackend::write(const Work &work)
{
  auto connection = pool_.acquire();
  PgTransaction transaction(*connection);
  work(*connection);
  transaction.commit();
}

std::unique_ptr<CandidateFinder> PgBackend::finder(SqlSession &, const MatchSnapshot &snapshot)
{
  // Asking the server means sending every candidate's texts over (its trigram index and the checks of
  // each row took 6-25 ms for a common word at 20,000 entries); the snapshot here holds them already.
  return std::make_unique<ScanningFinder>(snapshot);
}

std::size_t PgBackend::computingAtOnce() const
{
  return SqlCatalogue::computingAtOnce() + 1;
}

void PgBackend::bindRelated(SqlStatement &statement, const QStringList &words, const QStringList &tags)
{
  std::vector<std::string> all;
  const auto patterns = [&all](const QStringList &texts) {
    std::vector<std::string> list;
    for (const QString &text : texts) list.push_back(likeAnywhere(foldedText(text)));
    all.insert(all.end(), list.begin(), list.end());
    return pgTextArray(list);
  };
  statement.bind(1, patterns(words)).bind(2, patterns(tags)).bind(3, pgTextArray(all));
}

ImportCount PgBackend::import(ImportSource source, const std::string &path)
{
  auto connection = pool_.acquire();
  return importIntoPg(*connection, source, path);
}

std::int64_t PgBackend::entryCount()
{
  auto connection = pool_.acquire();
  auto count = connection->statement("SELECT count(*) FROM entries");
  return count->step() ? count->integer(0) : 0;
}

}  // namespace tessivar::directory
