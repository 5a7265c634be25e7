#include "server/pg_backend.h"

#include "server/pg_connection.h"
#include "server/pg_import.h"
#include "server/pg_queries.h"
#include "server/pg_schema.h"
#include "server/sqlite_db.h"  // DatabaseError

namespace tessivar::directory {

template <typename Read>
auto PgBackend::read(const Read &work)
{
  {
    auto connection = pool_.acquire();
    try {
      return work(*connection);
    } catch (const DatabaseError &) {
      if (connection->connected()) throw;
    }
  }
  // The server went away since the connection was last used; so did the other idle ones.
  pool_.dropIdle();
  auto connection = pool_.acquire();
  return work(*connection);
}

PgBackend::PgBackend(const std::string &address) : pool_(address)
{
  auto connection = pool_.acquire();
  preparePgCatalogue(*connection);
}

PgBackend::~PgBackend() = default;

std::int64_t PgBackend::generation()
{
  return read([](PgConnection &connection) {
    const PgResult rows = connection.query("SELECT generation FROM catalogue_state WHERE id = 1");
    return rows.rows() > 0 ? rows.integer(0, 0) : std::int64_t{0};
  });
}

std::string PgBackend::searchPage(const SearchExpression &expression, SearchScope scope,
                                  const EntryFilter &filter, PageLayout layout, std::size_t limit)
{
  return read([&](PgConnection &connection) {
    return pgSearchPage(connection, expression, scope, filter, layout, limit);
  });
}

void PgBackend::writeListAllPage(const EntryFilter &filter, PageLayout layout, const ChunkSink &sink)
{
  auto connection = pool_.acquire();
  pgWriteListAllPage(*connection, filter, layout, sink);
}

BrowsePage PgBackend::browseClips(char initial, std::int64_t page)
{
  return read([&](PgConnection &connection) { return pgBrowseClips(connection, initial, page); });
}

std::vector<CatalogueEntry> PgBackend::relatedClips(std::int64_t id, std::uint32_t families)
{
  return read([&](PgConnection &connection) { return pgRelatedClips(connection, id, families); });
}

ScanStep PgBackend::nextStation(const SearchExpression &style, std::uint32_t families,
                                std::int64_t maxBitrate, std::int64_t after)
{
  return read([&](PgConnection &connection) {
    return pgNextStation(connection, style, families, maxBitrate, after);
  });
}

void PgBackend::storeSignUp(const std::string &email, const std::string &name, const std::string &program)
{
  auto connection = pool_.acquire();
  connection->query(
      "INSERT INTO signups (email, name, program, signed_up)"
      " VALUES ($1, $2, $3, to_char(now() AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"'))"
      " ON CONFLICT ((lower(email))) DO UPDATE SET name = excluded.name, program = excluded.program,"
      " signed_up = excluded.signed_up",
      {email, name, program});
}

void PgBackend::addSearchCounts(const std::map<std::string, std::int64_t> &counts)
{
  auto connection = pool_.acquire();
  PgTransaction transaction(*connection);
  for (const auto &[term, searches] : counts) {
    connection->query(
        "INSERT INTO search_counts (term, searches) VALUES ($1, $2)"
        " ON CONFLICT (term) DO UPDATE SET searches = search_counts.searches + excluded.searches",
        {term, pgValue(searches)});
  }
  transaction.commit();
}

std::vector<std::pair<std::string, std::int64_t>> PgBackend::topSearches(std::size_t howMany)
{
  auto connection = pool_.acquire();
  const PgResult rows =
      connection->query("SELECT term, searches FROM search_counts ORDER BY searches DESC, term LIMIT $1",
                        {pgValue(static_cast<std::int64_t>(howMany))});
  std::vector<std::pair<std::string, std::int64_t>> ranked;
  for (int row = 0; row < rows.rows(); ++row) ranked.emplace_back(rows.text(row, 0), rows.integer(row, 1));
  return ranked;
}

ImportCount PgBackend::import(ImportSource source, const std::string &path)
{
  auto connection = pool_.acquire();
  return importIntoPg(*connection, source, path);
}

std::int64_t PgBackend::entryCount()
{
  auto connection = pool_.acquire();
  return connection->query("SELECT count(*) FROM entries").integer(0, 0);
}

}  // namespace tessivar::directory
