#pragma once

#include "server/postgresql/pg_connection.h"
#include "server/session_pool.h"
#include "server/sql_catalogue.h"

namespace tessivar::directory {

// The catalogue in a PostgreSQL database, shared by any number of directory processes: each
// request borrows a pooled connection; the generation in catalogue_state tells every process when
// an import has changed the catalogue. Each process searches its own snapshot of the catalogue, made
// again when the generation changes.
class PgBackend final : public SqlCatalogue
{
 public:
  // showFailing: entries the stream check found failing are served too.
  explicit PgBackend(const std::string &address, bool showFailing = false);
  ~PgBackend() override;

  ImportCount import(ImportSource source, const std::string &path) override;
  std::int64_t entryCount() override;

 private:
  // When the connection turns out to be lost (the server restarted since it was last used), a
  // repeatable read runs once more on a new one.
  void read(const Work &work, bool repeatable) override;
  void write(const Work &work) override;
  std::unique_ptr<CandidateFinder> finder(SqlSession &session, const MatchSnapshot &snapshot) override;
  bool scansSnapshot(const MatchSnapshot &) const override { return true; }
  // One more than there are processors: a search here also waits for the database server's answers.
  std::size_t computingAtOnce() const override;
  void bindRelated(SqlStatement &statement, const QStringList &words, const QStringList &tags) override;

  SessionPool<PgConnection> pool_;
};

}  // namespace tessivar::directory
