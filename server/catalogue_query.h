#pragma once

#include "server/catalogue_entry.h"
#include "server/result_page.h"
#include "server/search_expression.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessivar::directory {

class Database;

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

// Makes what keyword searches read in memory for the catalogue as it is now, unless a search has.
void prepareSearches(Database &db);

// The result page of the entries matching the expression, most relevant first (score, then name),
// at most limit of them, made from the page texts the catalogue keeps for each entry.
std::string searchPage(Database &db, const SearchExpression &expression, SearchScope scope,
                       const EntryFilter &filter, PageLayout layout, std::size_t limit);

// Writes the whole "list all" result page for the filter, by name, in chunks as rows are read.
void writeListAllPage(Database &db, const EntryFilter &filter, PageLayout layout, const ChunkSink &sink);

struct BrowsePage
{
  std::vector<CatalogueEntry> entries;
  std::int64_t totalPages = 1;
};

// The clips whose title starts with the letter or digit (case-insensitive); page 0 and 1 are the first.
BrowsePage browseClips(Database &db, char initial, std::int64_t page);

// Clips related to the item: the same show, shared tags and title words; never the item itself.
std::vector<CatalogueEntry> relatedClips(Database &db, std::int64_t id, std::uint32_t families);

struct ScanStep
{
  std::optional<CatalogueEntry> station;  // the station after the position, if any
  bool styleHasStations = false;          // whether the style has any station at all
};

// What the scanner's walk through a style looks at: radio stations of the families, up to the rate.
EntryFilter scanStyleFilter(std::uint32_t families, std::int64_t maxBitrate);

// The smallest entry number above after among the matches (anything with an id), if any.
template <typename Matches>
std::optional<std::int64_t> nextNumberAfter(const Matches &matches, std::int64_t after)
{
  std::optional<std::int64_t> next;
  for (const auto &match : matches) {
    if (match.id > after && (!next || match.id < *next)) next = match.id;
  }
  return next;
}

// The scanner's walk: the first radio station of the style (all stations when style is empty)
// whose number is above the position.
ScanStep nextStation(Database &db, const SearchExpression &style, std::uint32_t families,
                     std::int64_t maxBitrate, std::int64_t after);

}  // namespace tessivar::directory
