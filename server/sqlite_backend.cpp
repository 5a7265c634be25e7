#include "server/sqlite_backend.h"

#include "server/sqlite_db.h"

#include <algorithm>

namespace tessivar::directory {

SqliteBackend::SqliteBackend(const std::string &path) : writer_(path), readers_(path) {}

SqliteBackend::~SqliteBackend()
{
  if (preparing_.joinable()) preparing_.join();
}

void SqliteBackend::prepareSearches()
{
  if (preparing_.joinable()) return;
  preparing_ = std::thread([this] {
    try {
      auto db = readers_.acquire();
      directory::prepareSearches(*db);
    } catch (const std::exception &) {
      // The first search makes it, or reports why it cannot.
    }
  });
}

std::size_t SqliteBackend::computingAtOnce() const
{
  return std::max(1u, std::thread::hardware_concurrency()) + 1;
}

std::int64_t SqliteBackend::generation()
{
  auto db = readers_.acquire();
  auto statement = db->query("SELECT generation FROM catalogue_state WHERE id = 1");
  return statement->step() ? statement->integer(0) : 0;
}

std::string SqliteBackend::searchPage(const SearchExpression &expression, SearchScope scope,
                                      const EntryFilter &filter, PageLayout layout, std::size_t limit)
{
  auto db = readers_.acquire();
  return directory::searchPage(*db, expression, scope, filter, layout, limit);
}

void SqliteBackend::writeListAllPage(const EntryFilter &filter, PageLayout layout, const ChunkSink &sink)
{
  auto db = readers_.acquire();
  directory::writeListAllPage(*db, filter, layout, sink);
}

BrowsePage SqliteBackend::browseClips(char initial, std::int64_t page)
{
  auto db = readers_.acquire();
  return directory::browseClips(*db, initial, page);
}

std::vector<CatalogueEntry> SqliteBackend::relatedClips(std::int64_t id, std::uint32_t families)
{
  auto db = readers_.acquire();
  return directory::relatedClips(*db, id, families);
}

ScanStep SqliteBackend::nextStation(const SearchExpression &style, std::uint32_t families,
                                    std::int64_t maxBitrate, std::int64_t after)
{
  auto db = readers_.acquire();
  return directory::nextStation(*db, style, families, maxBitrate, after);
}

void SqliteBackend::storeSignUp(const std::string &email, const std::string &name, const std::string &program)
{
  writer_.write([&](Database &db) {
    auto statement = db.query(
        "INSERT INTO signups (email, name, program, signed_up)"
        " VALUES (?1, ?2, ?3, strftime('%Y-%m-%dT%H:%M:%SZ', 'now'))"
        " ON CONFLICT (email) DO UPDATE SET name = excluded.name, program = excluded.program,"
        " signed_up = excluded.signed_up");
    statement->bind(1, email).bind(2, name).bind(3, program).run();
  });
}

void SqliteBackend::addSearchCounts(const std::map<std::string, std::int64_t> &counts)
{
  writer_.write([&](Database &db) {
    Transaction transaction(db);
    for (const auto &[term, searches] : counts) {
      auto statement = db.query(
          "INSERT INTO search_counts (term, searches) VALUES (?1, ?2)"
          " ON CONFLICT (term) DO UPDATE SET searches = searches + excluded.searches");
      statement->bind(1, term).bind(2, searches).run();
    }
    transaction.commit();
  });
}

std::vector<std::pair<std::string, std::int64_t>> SqliteBackend::topSearches(std::size_t howMany)
{
  std::vector<std::pair<std::string, std::int64_t>> ranked;
  auto db = readers_.acquire();
  auto statement =
      db->query("SELECT term, searches FROM search_counts ORDER BY searches DESC, term LIMIT ?1");
  statement->bind(1, static_cast<std::int64_t>(howMany));
  while (statement->step()) ranked.emplace_back(statement->text(0), statement->integer(1));
  return ranked;
}

ImportCount SqliteBackend::import(ImportSource source, const std::string &path)
{
  ImportCount count;
  writer_.write([&](Database &db) {
    switch (source) {
      case ImportSource::Stations:
        count = importStations(db, path);
        break;
      case ImportSource::Television:
        count = importTelevision(db, path);
        break;
      case ImportSource::Clips:
        count = importClips(db, path);
        break;
      case ImportSource::M3u:
        count = importM3u(db, path);
        break;
      case ImportSource::Pls:
        count = importPls(db, path);
        break;
    }
  });
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
