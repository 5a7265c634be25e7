#include "server/sqlite/sqlite_backend.h"

#include "server/keyword_search.h"
#include "server/sqlite/catalogue_import.h"
#include "server/sqlite/catalogue_schema.h"
#include "server/sqlite/fts_candidates.h"
#include "server/sqlite/sqlite_db.h"

namespace tessivar::directory {

namespace {

#define ENTRY_COLUMNS                                                                                      \
  "e.id, e.kind, e.family, e.url, e.name, e.format, e.location, e.state, e.country, e.genre, e.homepage, " \
  "e.bitrate, e.duration, e.show_id, e.check_failed"

// Read in the order of the index by name, so the first lines of list all go out at once whatever the
// catalogue's size.
const CatalogueSql sqliteSql = {
    .snapshot =
        {"SELECT generation FROM catalogue_state WHERE id = 1",
         "SELECT m.id, m.name_order, m.bitrate, m.duration, m.kind, m.family, m.fold_name, m.fold_format,"
         " m.fold_location, m.fold_genre, e.page_head, e.page_tail, e.check_failed"
         " FROM entry_match m JOIN entries e ON e.id = m.id AND e.hidden = 0 ORDER BY m.id"},
    .listAll =
        "SELECT e.page_head, e.page_tail, e.duration, e.id, e.check_failed"
        " FROM entries e INDEXED BY entries_by_name WHERE ((?1 >> e.kind) & 1) = 1"
        " AND ((?2 >> e.family) & 1) = 1 AND (?3 = 0 OR e.bitrate <= ?3)"
        " AND (?4 = 0 OR e.kind <> 2 OR e.bitrate >= ?4) AND (?5 = 0 OR e.kind <> 2 OR e.duration >= ?5)"
        " AND e.hidden = 0 ORDER BY e.name COLLATE NOCASE, e.id",
    .browseCount = "SELECT count(*) FROM entries e WHERE e.kind = 2 AND e.initial = ?1 AND e.hidden = 0",
    .browse = "SELECT " ENTRY_COLUMNS
              " FROM entries e WHERE e.kind = 2 AND e.initial = ?1 AND e.hidden = 0"
              " ORDER BY e.name COLLATE NOCASE, e.id LIMIT ?2 OFFSET ?3",
    .entryById = "SELECT " ENTRY_COLUMNS " FROM entries e WHERE e.id = ?1",
    .sameShow = "SELECT " ENTRY_COLUMNS
                " FROM entries e WHERE e.show_id = ?1 AND e.kind = 2 AND e.hidden = 0 LIMIT 500",
    .related = "SELECT " ENTRY_COLUMNS
               " FROM entry_text JOIN entries e ON e.id = entry_text.rowid"
               " WHERE entry_text MATCH ?1 AND e.kind = 2 AND e.hidden = 0 ORDER BY rank LIMIT 2000",
    .nextStation = "SELECT " ENTRY_COLUMNS
                   " FROM entries e WHERE e.kind = 0 AND e.id > ?1"
                   " AND ((?2 >> e.family) & 1) = 1 AND (?3 = 0 OR e.bitrate <= ?3) AND e.hidden = 0 ORDER "
                   "BY e.id LIMIT 1",
    .recentSignUps = "SELECT count(*) FROM signups WHERE signed_up >= ?1",
    .signUp =
        "INSERT INTO signups (email, name, program, signed_up) VALUES (?1, ?2, ?3, ?4)"
        " ON CONFLICT (email) DO UPDATE SET name = excluded.name, program = excluded.program,"
        " signed_up = excluded.signed_up",
    .countSearch =
        "INSERT INTO search_counts (term, searches) VALUES (?1, ?2)"
        " ON CONFLICT (term) DO UPDATE SET searches = searches + excluded.searches",
    .trimSearches =
        "DELETE FROM search_counts WHERE term IN (SELECT term FROM search_counts"
        " ORDER BY searches, term LIMIT max(0, (SELECT count(*) FROM search_counts) - ?1))",
    .topSearches = "SELECT term, searches FROM search_counts ORDER BY searches DESC, term LIMIT ?1",
    .countDue =
        "SELECT count(*) FROM entries WHERE (checked_at IS NULL OR checked_at < ?1)"
        " AND (claimed_until IS NULL OR claimed_until < ?2)",
    .claimDue =
        "UPDATE entries SET claimed_until = ?5 WHERE id IN (SELECT id FROM entries"
        " WHERE id > ?4 AND (checked_at IS NULL OR checked_at < ?1) AND (claimed_until IS NULL OR "
        "claimed_until < ?2)"
        " ORDER BY id LIMIT ?3) RETURNING id, url",
    .recordCheck =
        "UPDATE entries SET checked_at = ?2, last_good = CASE WHEN ?3 = 1 THEN ?2 ELSE last_good END,"
        " check_failures = CASE WHEN ?3 = 1 THEN 0 ELSE check_failures + 1 END,"
        " check_reason = ?4, stream_type = ?5, icy_name = ?6, icy_bitrate = ?7, icy_genre = ?8,"
        " check_failed = 1 - ?3, claimed_until = NULL,"
        " hidden = CASE WHEN ?3 = 1 THEN 0 WHEN check_failures >= 1 AND coalesce(last_good, 0) < ?9"
        " THEN 1 ELSE 0 END WHERE id = ?1",
    .releaseClaim = "UPDATE entries SET claimed_until = NULL WHERE id = ?1",
    .raiseGeneration = "UPDATE catalogue_state SET generation = generation + 1",
};

QString quotedTerm(const QString &text)
{
  QString out = text;
  out.replace(u'"', QStringLiteral("\"\""));
  return u'"' + out + u'"';
}

// One read transaction, so that the snapshot and the index are of the same catalogue. Its two statements
// are prepared once per connection (parsing them was a twentieth of a short search).
class ReadTransaction
{
 public:
  explicit ReadTransaction(Database &db) : db_(db) { db_.query("BEGIN")->run(); }
  ~ReadTransaction()
  {
    try {
      db_.query("COMMIT")->run();
    } catch (const DatabaseError &) {
      // Nothing was written; the connection goes back to the pool either way.
    }
  }
  ReadTransaction(const ReadTransaction &) = delete;
  ReadTransaction &operator=(const ReadTransaction &) = delete;

 private:
  Database &db_;
};

}  // namespace

SqliteBackend::SqliteBackend(const std::string &path, bool showFailing, std::size_t memoryIndexEntries)
    : SqlCatalogue(sqliteSql, showFailing),
      memoryIndexEntries_(memoryIndexEntries),
      writer_(path),
      readers_([path] { return openReader(path); })
{
}

SqliteBackend::~SqliteBackend()
{
  stopPreparing();
}

void SqliteBackend::read(const Work &work, bool)
{
  auto db = readers_.acquire();
  const ReadTransaction transaction(*db);
  work(*db);
}

void SqliteBackend::write(const Work &work)
{
  writer_.write([&](Database &db) {
    Transaction transaction(db);
    work(db);
    transaction.commit();
  });
}

std::unique_ptr<CandidateFinder> SqliteBackend::finder(SqlSession &session, const MatchSnapshot &snapshot)
{
  if (scansSnapshot(snapshot)) return std::make_unique<ScanningFinder>(snapshot);
  return std::make_unique<FtsFinder>(static_cast<Database &>(session), snapshot);
}

bool SqliteBackend::scansSnapshot(const MatchSnapshot &snapshot) const
{
  return snapshot.rows().size() <= memoryIndexEntries_;
}

void SqliteBackend::bindRelated(SqlStatement &statement, const QStringList &words, const QStringList &tags)
{
  QStringList groups;
  for (const auto &[column, terms] : {std::pair{"name", &words}, std::pair{"genre", &tags}}) {
    if (terms->isEmpty()) continue;
    QStringList quoted;
    for (const QString &term : *terms) quoted << quotedTerm(term);
    groups << QLatin1String(column) + QStringLiteral(" : (") + quoted.join(QStringLiteral(" OR ")) + u')';
  }
  statement.bind(1, groups.join(QStringLiteral(" OR ")).toStdString());
}

ImportCount SqliteBackend::import(ImportSource source, const std::string &path)
{
  ImportCount count;
  writer_.write([&](Database &db) { count = importFile(db, source, path); });
  return count;
}

std::int64_t SqliteBackend::entryCount()
{
  std::int64_t total = 0;
  writer_.write([&](Database &db) {
    auto statement = db.query("SELECT count(*) FROM entries");
    if (statement->step()) total = statement->integer(0);
  });
  return total;
}

}  // namespace tessivar::directory
