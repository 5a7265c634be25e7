#pragma once

#include "server/catalogue_entry.h"
#include "server/catalogue_import.h"
#include "server/catalogue_query.h"
#include "server/result_page.h"
#include "server/search_expression.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessivar::directory {

// The catalogue files import reads, one option each.
enum class ImportSource { Stations, Television, Clips, M3u, Pls };

// Everything the directory reads from and writes to its catalogue, whichever database holds it.
// Implementations are safe to call from many threads at once; failures throw DatabaseError.
class CatalogueBackend
{
 public:
  virtual ~CatalogueBackend() = default;

  // Raised by every import; answers cached under an older number are out of date. Cheap: every
  // cached request asks for it.
  virtual std::int64_t generation() = 0;

  // Starts making, in the background, what the first searches would otherwise wait for.
  virtual void prepareSearches() {}
  // How many requests should compute at once: about the number of processors when the catalogue is
  // searched here, 0 (no limit) when another server does the work and requests mostly wait for it.
  virtual std::size_t computingAtOnce() const { return 0; }

  virtual std::string searchPage(const SearchExpression &expression, SearchScope scope,
                                 const EntryFilter &filter, PageLayout layout, std::size_t limit) = 0;
  // The "list all" page, by name, written through the sink in pieces.
  virtual void writeListAllPage(const EntryFilter &filter, PageLayout layout, const ChunkSink &sink) = 0;
  virtual BrowsePage browseClips(char initial, std::int64_t page) = 0;
  virtual std::vector<CatalogueEntry> relatedClips(std::int64_t id, std::uint32_t families) = 0;
  virtual ScanStep nextStation(const SearchExpression &style, std::uint32_t families, std::int64_t maxBitrate,
                               std::int64_t after) = 0;

  // One sign-up per address (ignoring ASCII case); a later one replaces name and program.
  virtual void storeSignUp(const std::string &email, const std::string &name, const std::string &program) = 0;
  // Adds the counts in one transaction.
  virtual void addSearchCounts(const std::map<std::string, std::int64_t> &counts) = 0;
  // The most searched terms, most first, then by term.
  virtual std::vector<std::pair<std::string, std::int64_t>> topSearches(std::size_t howMany) = 0;

  // Loads one file in one transaction, with import's rules (see catalogue_import.h).
  virtual ImportCount import(ImportSource source, const std::string &path) = 0;
  virtual std::int64_t entryCount() = 0;
};

// True for a postgresql:// or postgres:// address; anything else names an SQLite file.
bool isPostgresAddress(std::string_view catalogue);

// The backend for the --db text: PostgreSQL for its addresses, otherwise the SQLite file (created
// when missing). Prepares the catalogue's tables; throws DatabaseError when it cannot.
std::unique_ptr<CatalogueBackend> openCatalogueBackend(const std::string &catalogue);

}  // namespace tessivar::directory
