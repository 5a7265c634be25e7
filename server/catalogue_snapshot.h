#pragma once

#include "server/catalogue_entry.h"
#include "server/catalogue_query.h"
#include "server/search_expression.h"
#include "server/trigram_index.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tessivar::directory {

class Database;

// The whole catalogue at one generation, in memory, ready for keyword searches: the searched
// fields prepared for matching, trigram indexes over them and every entry's place in name order.
// Each search is computed on it when asked; nothing about answers is kept.
class CatalogueSnapshot
{
public:
  // Reads every entry and the generation in one read transaction.
  static std::shared_ptr<const CatalogueSnapshot> load(Database &db);

  std::int64_t generation() const { return generation_; }

  // The entries matching the expression that the filter lets through, most relevant first, then
  // by name (case-insensitive) and number; at most limit of them. They live as long as the snapshot.
  std::vector<const CatalogueEntry *> search(const SearchExpression &expression, SearchScope scope,
                                             const EntryFilter &filter, std::size_t limit) const;

private:
  struct Item
  {
    CatalogueEntry entry;
    EntryText text;
    std::uint32_t nameOrder = 0;
  };

  bool passes(const Item &item, const EntryFilter &filter) const;

  std::int64_t generation_ = 0;
  std::vector<Item> items_; // by entry number
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
