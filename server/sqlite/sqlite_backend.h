#pragma once

#include "server/session_pool.h"
#include "server/sql_catalogue.h"
#include "server/sqlite/writer_connection.h"

namespace tessivar::directory {

class Database;

// The catalogue in one SQLite file: a pool of reading connections and the one writing connection;
// candidates of a search are found on trigram lists in memory up to memoryIndexEntries entries (a fifth
// fewer instructions a search than stepping through the full-text index), on the full-text index
// beyond (which can also look in one field at a time).
class SqliteBackend final : public SqlCatalogue
{
 public:
  // showFailing: entries the stream check found failing are served too.
  explicit SqliteBackend(const std::string &path, bool showFailing = false,
                         std::size_t memoryIndexEntries = 0);
  ~SqliteBackend() override;

  std::optional<std::string> quickSearchPage(const SearchExpression &expression, SearchScope scope,
                                             const EntryFilter &filter, PageLayout layout, std::size_t limit,
                                             std::size_t maxWork) override
  {
    return localQuickSearchPage(expression, scope, filter, layout, limit, maxWork);
  }
  ImportCount import(ImportSource source, const std::string &path) override;
  std::int64_t entryCount() override;

 private:
  void read(const Work &work, bool repeatable) override;
  void write(const Work &work) override;
  std::unique_ptr<CandidateFinder> finder(SqlSession &session, const MatchSnapshot &snapshot) override;
  bool scansSnapshot(const MatchSnapshot &snapshot) const override;
  void bindRelated(SqlStatement &statement, const QStringList &words, const QStringList &tags) override;

  std::size_t memoryIndexEntries_;
  WriterConnection writer_;  // first: it creates or upgrades the tables the readers expect
  // Read-only connections; under WAL every reader sees a consistent snapshot and none waits for another.
  SessionPool<Database> readers_;
};

}  // namespace tessivar::directory
