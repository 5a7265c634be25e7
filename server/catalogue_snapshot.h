#pragma once

#include "server/catalogue_entry.h"
#include "server/catalogue_query.h"
#include "server/result_page.h"
#include "server/search_expression.h"
#include "server/trigram_index.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tessivar::directory {

class Database;

// One entry of a snapshot: as stored, as a result page shows it, and as searches match it.
struct SnapshotEntry
{
  CatalogueEntry entry;
  PageEntry page;
  EntryText text;
};

// The whole catalogue at one generation, in memory, ready for keyword searches: the searched
// fields prepared for matching, trigram indexes over them, every entry's place in name order and
// its texts made safe for a result page. Each search is computed on it when asked; no answer is kept.
class CatalogueSnapshot
{
public:
  // Reads every entry and the generation in one read transaction.
  static std::shared_ptr<const CatalogueSnapshot> load(Database &db);

  std::int64_t generation() const { return generation_; }

  // The entries matching the expression that the filter lets through, most relevant first, then
  // by name (case-insensitive) and number; at most limit of them. They live as long as the snapshot.
  std::vector<const SnapshotEntry *> search(const SearchExpression &expression, SearchScope scope,
                                             const EntryFilter &filter, std::size_t limit) const;

private:
  // What the filter and the ranking read, apart from the items so that a search touches little memory.
  struct Facts
  {
    std::int64_t bitrate = 0;
    std::int64_t duration = 0;
    std::uint32_t nameOrder = 0;
    std::uint8_t kind = 0;
    std::uint8_t family = 0;
  };

  static bool passes(const Facts &facts, const EntryFilter &filter);

  std::int64_t generation_ = 0;
  std::vector<SnapshotEntry> items_; // by entry number
  std::vector<Facts> facts_; // the same order
  TrigramIndex allFields_;  // name, format, location and genre
  TrigramIndex genreField_;
};

// The snapshot of the catalogue's current generation, shared by every request and replaced, by one
// request while the others wait, when an import has raised the generation.
class SnapshotHolder
{
public:
  // The snapshot of generation or a later one, loaded through db when the one held is older.
  std::shared_ptr<const CatalogueSnapshot> current(Database &db, std::int64_t generation);

private:
  std::mutex loading_;
  std::mutex mutex_; // guards snapshot_
  std::shared_ptr<const CatalogueSnapshot> snapshot_;
};

}  // namespace tessivar::directory
