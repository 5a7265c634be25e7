#pragma once

#include "server/catalogue_entry.h"
#include "server/result_page.h"
#include "server/search_expression.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tessivar::directory {

// Any failure of the storage layer. Its text is for the operator's log, never for a client.
class DatabaseError : public std::runtime_error
{
 public:
  using std::runtime_error::runtime_error;
};

// The catalogue files import reads, one option each.
enum class ImportSource { Stations, Television, Clips, M3u, Pls, RadioBrowser, IcecastYp };

struct ImportCount
{
  std::int64_t read = 0;                          // rows or list items read
  std::int64_t accepted = 0;                      // written to the catalogue (new, changed or unchanged)
  std::int64_t skipped = 0;                       // without a usable name or stream address
  std::map<std::string, std::int64_t> skippedBy;  // why, and how many
};

// Which entries a request may see.
struct EntryFilter
{
  std::uint32_t kinds = 0;      // bit per EntryKind
  std::uint32_t families = 0;   // bit per FormatFamily
  std::int64_t maxBitrate = 0;  // entries above it are left out; 0 = no limit; unknown rates pass
  std::int64_t minBitrate = 0;  // clips below it, or of unknown rate, are left out; 0 = off
  std::int64_t minSeconds = 0;  // clips shorter, or of unknown length, are left out; 0 = off
};

constexpr std::size_t maxSearchResults = 250;
constexpr std::int64_t browsePageSize = 100;
constexpr std::size_t maxRelatedResults = 50;

struct BrowsePage
{
  std::vector<CatalogueEntry> entries;
  std::int64_t totalPages = 1;
};

// An entry whose stream is due for a check.
struct DueEntry
{
  std::int64_t id = 0;
  std::string url;
};

// What a check found of one entry's stream.
struct CheckFinding
{
  std::int64_t id = 0;
  bool good = false;
  std::string reason;  // of a failure: "refused", "time-out", ...; empty when good
  std::string contentType;
  std::string icyName;
  std::string icyBitrate;
  std::string icyGenre;
};

// An entry is left out of every answer when its last two checks failed and it has not been good for
// this long (or never).
constexpr std::int64_t failingAfterSeconds = 24 * 3600;
// The failure an import of a public directory's list records for a station that directory's own
// check found failing (one failed check), when this catalogue has not checked it yet.
constexpr const char *failedAtSourceReason = "failed the source directory's check";
// How long a check holds the entries it claimed before another check may take them.
constexpr std::int64_t checkClaimSeconds = 15 * 60;

struct ScanStep
{
  std::optional<CatalogueEntry> station;  // the station after the position, if any
  bool styleHasStations = false;          // whether the style has any station at all
};

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

  // The result page of the entries matching the expression, most relevant first (score, then name),
  // at most limit of them.
  virtual std::string searchPage(const SearchExpression &expression, SearchScope scope,
                                 const EntryFilter &filter, PageLayout layout, std::size_t limit) = 0;
  // The same page, when it is quick to make and waits for nothing: at most about maxWork searches of a
  // word in an entry's text (candidates times words, see estimatedWork()), and everything the search
  // reads at hand in this process. Otherwise nullopt, and the caller asks searchPage() where waiting
  // does no harm.
  virtual std::optional<std::string> quickSearchPage(const SearchExpression &, SearchScope,
                                                     const EntryFilter &, PageLayout, std::size_t /*limit*/,
                                                     std::size_t /*maxWork*/)
  {
    return std::nullopt;
  }
  // The "list all" page, by name, written through the sink in pieces.
  virtual void writeListAllPage(const EntryFilter &filter, PageLayout layout, const ChunkSink &sink) = 0;
  // The clips whose title starts with the letter or digit (case-insensitive); page 0 and 1 are the first.
  virtual BrowsePage browseClips(char initial, std::int64_t page) = 0;
  // Clips related to the item: the same show, shared tags and title words; never the item itself.
  virtual std::vector<CatalogueEntry> relatedClips(std::int64_t id, std::uint32_t families) = 0;
  // The scanner's walk: the first radio station of the style (all stations when style is empty)
  // whose number is above the position.
  virtual ScanStep nextStation(const SearchExpression &style, std::uint32_t families, std::int64_t maxBitrate,
                               std::int64_t after) = 0;

  // One sign-up per address (ignoring ASCII case); a later one replaces name and program. False, and
  // nothing stored, when perHour sign-ups were stored in the last hour already (0 = no limit).
  virtual bool storeSignUp(const std::string &email, const std::string &name, const std::string &program,
                           std::int64_t perHour) = 0;
  // Adds the counts in one transaction; only the most searched terms are kept (see search_stats.h).
  virtual void addSearchCounts(const std::map<std::string, std::int64_t> &counts) = 0;
  // The most searched terms, most first, then by term.
  virtual std::vector<std::pair<std::string, std::int64_t>> topSearches(std::size_t howMany) = 0;

  // The stream check's side: the entries never checked or last checked before checkedBefore and not
  // claimed by a check at `now` (seconds since the epoch), how many, and up to `count` of them
  // numbered above `after` claimed, in number order; then the findings written in one transaction,
  // which raises the generation so that running servers answer without the failing entries.
  virtual std::int64_t countDueChecks(std::int64_t checkedBefore, std::int64_t now) = 0;
  virtual std::vector<DueEntry> claimDueChecks(std::size_t count, std::int64_t checkedBefore,
                                               std::int64_t now, std::int64_t after) = 0;
  virtual void recordChecks(const std::vector<CheckFinding> &findings, std::int64_t checkedAt) = 0;
  // Gives back claimed entries a check ends without checking (stopped), for the next check to take.
  virtual void releaseClaims(const std::vector<std::int64_t> &ids) = 0;

  // Loads one file in one transaction: the stream address is the key, so loading a file again updates
  // its entries; a file that cannot be read throws std::runtime_error and changes nothing.
  virtual ImportCount import(ImportSource source, const std::string &path) = 0;
  virtual std::int64_t entryCount() = 0;
};

}  // namespace tessivar::directory
