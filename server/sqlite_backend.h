#pragma once

#include "server/catalogue_backend.h"
#include "server/connection_pool.h"
#include "server/writer_connection.h"

#include <thread>

namespace tessivar::directory {

// The catalogue in one SQLite file: a pool of reading connections and the one writing connection.
class SqliteBackend final : public CatalogueBackend
{
 public:
  explicit SqliteBackend(const std::string &path);
  ~SqliteBackend() override;

  std::int64_t generation() override;
  void prepareSearches() override;
  // Searches and scanner steps are computed in this process, on its processors alone: one more at once
  // than there are processors (one just let through is still being woken while another finishes).
  // More only makes each take longer, and a long one makes every short one beside it wait.
  std::size_t computingAtOnce() const override;
  std::string searchPage(const SearchExpression &expression, SearchScope scope, const EntryFilter &filter,
                         PageLayout layout, std::size_t limit) override;
  void writeListAllPage(const EntryFilter &filter, PageLayout layout, const ChunkSink &sink) override;
  BrowsePage browseClips(char initial, std::int64_t page) override;
  std::vector<CatalogueEntry> relatedClips(std::int64_t id, std::uint32_t families) override;
  ScanStep nextStation(const SearchExpression &style, std::uint32_t families, std::int64_t maxBitrate,
                       std::int64_t after) override;
  void storeSignUp(const std::string &email, const std::string &name, const std::string &program) override;
  void addSearchCounts(const std::map<std::string, std::int64_t> &counts) override;
  std::vector<std::pair<std::string, std::int64_t>> topSearches(std::size_t howMany) override;
  ImportCount import(ImportSource source, const std::string &path) override;
  std::int64_t entryCount() override;

 private:
  WriterConnection writer_;  // first: it creates or upgrades the tables the readers expect
  ConnectionPool readers_;
  std::thread preparing_;
};

}  // namespace tessivar::directory
