#include "server/catalogue_snapshot.h"

#include "server/format_family.h"
#include "server/sqlite_db.h"

#include <QString>

#include <algorithm>
#include <numeric>

namespace tessivar::directory {

namespace {

QString toQString(const std::string &text)
{
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct Scored
{
  std::uint32_t item = 0;
  int score = 0;
};

// A read transaction: every query inside it sees the same state of the catalogue.
class ReadTransaction
{
public:
  explicit ReadTransaction(Database &db) : db_(db) { db_.execute("BEGIN"); }
  ~ReadTransaction()
  {
    try {
      db_.execute("COMMIT");
    } catch (const DatabaseError &) {
    }
  }
  ReadTransaction(const ReadTransaction &) = delete;
  ReadTransaction &operator=(const ReadTransaction &) = delete;

private:
  Database &db_;
};

}  // namespace

std::shared_ptr<const CatalogueSnapshot> CatalogueSnapshot::load(Database &db)
{
  auto snapshot = std::make_shared<CatalogueSnapshot>();
  std::vector<CatalogueEntry> entries;
  {
    const ReadTransaction transaction(db);
    snapshot->generation_ = catalogueGeneration(db);
    entries = allEntries(db);
  }
  auto &items = snapshot->items_;
  items.reserve(entries.size());
  std::vector<QString> names;
  names.reserve(entries.size());
  for (auto &entry : entries) {
    const auto index = static_cast<std::uint32_t>(items.size());
    const QString name = toQString(entry.name);
    const QString format = toQString(entry.format);
    const QString location = toQString(entry.location);
    const QString genre = toQString(entry.genre);
    snapshot->allFields_.add(index, name);
    snapshot->allFields_.add(index, format);
    snapshot->allFields_.add(index, location);
    snapshot->allFields_.add(index, genre);
    snapshot->genreField_.add(index, genre);
    snapshot->facts_.push_back({entry.bitrate, entry.duration, 0, static_cast<std::uint8_t>(entry.kind),
                                static_cast<std::uint8_t>(entry.family)});
    PageEntry page = pageEntry(entry);
    items.push_back({std::move(entry), std::move(page), prepareEntryText(name, format, location, genre)});
    names.push_back(name);
  }

  std::vector<std::uint32_t> byName(items.size());
  std::iota(byName.begin(), byName.end(), 0u);
  std::sort(byName.begin(), byName.end(), [&](std::uint32_t a, std::uint32_t b) {
    const int order = QString::compare(names[a], names[b], Qt::CaseInsensitive);
    return order != 0 ? order < 0 : items[a].entry.id < items[b].entry.id;
  });
  for (std::uint32_t rank = 0; rank < byName.size(); ++rank)
    snapshot->facts_[byName[rank]].nameOrder = rank;
  return snapshot;
}

bool CatalogueSnapshot::passes(const Facts &facts, const EntryFilter &filter)
{
  const bool isClip = facts.kind == static_cast<int>(EntryKind::Clip);
  return ((filter.kinds >> facts.kind) & 1u) != 0 && ((filter.families >> facts.family) & 1u) != 0 &&
         (filter.maxBitrate == 0 || facts.bitrate <= filter.maxBitrate) &&
         (filter.minBitrate == 0 || !isClip || facts.bitrate >= filter.minBitrate) &&
         (filter.minSeconds == 0 || !isClip || facts.duration >= filter.minSeconds);
}

std::vector<const SnapshotEntry *> CatalogueSnapshot::search(const SearchExpression &expression,
                                                             SearchScope scope, const EntryFilter &filter,
                                                             std::size_t limit) const
{
  if (expression.empty() || filter.kinds == 0 || filter.families == 0 || limit == 0)
    return {};
  const TrigramIndex &index = scope == SearchScope::GenreOnly ? genreField_ : allFields_;
  std::vector<Scored> scored;
  const auto score = [&](const Alternative &alternative, std::uint32_t at) {
    if (!passes(facts_[at], filter))
      return;
    if (const int points = alternativeScore(alternative, scope, items_[at].text); points > 0)
      scored.push_back({at, points});
  };
  for (const Alternative &alternative : expression.alternatives) {
    if (const auto candidates = index.candidates(alternative)) {
      for (const std::uint32_t at : *candidates)
        score(alternative, at);
    } else {
      for (std::uint32_t at = 0; at < items_.size(); ++at)
        score(alternative, at);
    }
  }

  // An entry found by several alternatives counts with its best one.
  if (expression.alternatives.size() > 1) {
    std::sort(scored.begin(), scored.end(), [](const Scored &a, const Scored &b) {
      return a.item != b.item ? a.item < b.item : a.score > b.score;
    });
    scored.erase(std::unique(scored.begin(), scored.end(),
                             [](const Scored &a, const Scored &b) { return a.item == b.item; }),
                 scored.end());
  }

  const auto better = [this](const Scored &a, const Scored &b) {
    if (a.score != b.score)
      return a.score > b.score;
    return facts_[a.item].nameOrder < facts_[b.item].nameOrder;
  };
  const std::size_t count = std::min(limit, scored.size());
  std::partial_sort(scored.begin(), scored.begin() + static_cast<std::ptrdiff_t>(count), scored.end(), better);
  std::vector<const SnapshotEntry *> found;
  found.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    found.push_back(&items_[scored[i].item]);
  return found;
}

std::shared_ptr<const CatalogueSnapshot> SnapshotHolder::current(Database &db, std::int64_t generation)
{
  const auto held = [this] {
    const std::lock_guard lock(mutex_);
    return snapshot_;
  };
  if (auto snapshot = held(); snapshot && snapshot->generation() >= generation)
    return snapshot;
  const std::lock_guard loading(loading_);
  if (auto snapshot = held(); snapshot && snapshot->generation() >= generation)
    return snapshot; // another request loaded it meanwhile
  auto snapshot = CatalogueSnapshot::load(db);
  const std::lock_guard lock(mutex_);
  snapshot_ = snapshot;
  return snapshot;
}

}  // namespace tessivar::directory
