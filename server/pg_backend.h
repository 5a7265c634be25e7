#pragma once

#include "server/catalogue_backend.h"
#include "server/pg_pool.h"

namespace tessivar::directory {

// The catalogue in a PostgreSQL database, shared by any number of directory processes: each
// request borrows a pooled connection; the generation in catalogue_state tells every process when
// an import has changed the catalogue.
class PgBackend final : public CatalogueBackend
{
 public:
  explicit PgBackend(const std::string &address);
  ~PgBackend() override;

  std::int64_t generation() override;
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
  // Runs a read on a pooled connection; when the connection turns out to be lost (the server
  // restarted since it was last used) the read runs once more on a new one.
  template <typename Read>
  auto read(const Read &work);

  PgPool pool_;
};

}  // namespace tessivar::directory
