#include "server/match_snapshot.h"

#include "server/catalogue_backend.h"
#include "server/relevance_memo.h"
#include "server/sql_statement.h"
#include "server/trigram_rows.h"
#include "server/worker_pool.h"

#include <QByteArrayView>
#include <QHash>
#include <QHashSeed>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <chrono>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace tessivar::directory {

namespace {

std::mutex snapshotsMutex;
// By catalogue; one per catalogue a process serves, with when its generation was last read.
struct Held
{
  std::shared_ptr<const MatchSnapshot> snapshot;
  std::chrono::steady_clock::time_point generationReadAt;
};
std::unordered_map<std::string, Held> snapshots;
constexpr auto generationShared = std::chrono::milliseconds(1);

std::int64_t generationOf(SqlSession &session, const char *sql)
{
  auto statement = session.statement(sql);
  return statement->step() ? statement->integer(0) : 0;
}

// The first 8 bytes of the text as a number, the first byte highest; `fill` in place of those it lacks.
std::uint64_t nameStart(std::string_view text, unsigned char fill)
{
  std::uint64_t start = 0;
  for (std::size_t i = 0; i < 8; ++i)
    start = start << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : fill);
  return start;
}

constexpr std::size_t rowsInBlock = 64;

// The first place at or after `from` where the text holds the word, or npos. Over tens of megabytes, for
// a short word whose first byte is common: sixteen places at a time are tested for the word's first and
// last bytes at once, where a search by its first byte alone stops at every one.
std::size_t findFrom(std::string_view text, std::string_view word, std::size_t from)
{
#if defined(__SSE2__)
  if (word.size() >= 2) {
    const __m128i first = _mm_set1_epi8(word.front());
    const __m128i last = _mm_set1_epi8(word.back());
    const std::size_t lastAt = word.size() - 1;
    for (; from + lastAt + 16 <= text.size(); from += 16) {
      const auto *firstBytes = reinterpret_cast<const __m128i *>(text.data() + from);
      const auto *lastBytes = reinterpret_cast<const __m128i *>(text.data() + from + lastAt);
      auto both = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(firstBytes), first),
                                          _mm_cmpeq_epi8(_mm_loadu_si128(lastBytes), last))));
      for (; both != 0; both &= both - 1) {
        const std::size_t place = from + static_cast<std::size_t>(std::countr_zero(both));
        if (text.substr(place + 1, lastAt - 1) == word.substr(1, lastAt - 1)) return place;
      }
    }
  }
#endif
  return text.find(word, from);
}

}  // namespace

EntryText MatchSnapshot::text(const MatchRow &row) const
{
  const char *at = text_.data() + row.text;
  EntryText text;
  text.name = {at, row.lengths[0]};
  at += row.lengths[0];
  text.format = {at, row.lengths[1]};
  at += row.lengths[1];
  text.location = {at, row.lengths[2]};
  at += row.lengths[2];
  text.genre = {at, row.lengths[3]};
  return text;
}

std::string_view MatchSnapshot::allText(const MatchRow &row) const
{
  return {text_.data() + row.text,
          std::size_t{row.lengths[0]} + row.lengths[1] + row.lengths[2] + row.lengths[3]};
}

bool MatchSnapshot::forEachRowHoldingAny(std::span<const std::string_view> words,
                                         const std::function<void(const MatchRow &)> &visit) const
{
  // A word that many rows hold is looked for row by row by the caller's own tests: one search of all the
  // text would stop at most rows anyway.
  const bool many = std::any_of(words.begin(), words.end(), [&](std::string_view word) {
    return word.empty() || std::size_t{trigramCount(word)} * 8 > rows_.size();
  });
  if (many) {
    for (const MatchRow &row : rows_) visit(row);
    return true;
  }
  if (words.empty()) return false;
  if (words.size() == 1) {
    forEachRowHolding(words.front(), visit);
    return false;
  }
  SeenRows seen(*this);
  for (const std::string_view word : words) {
    forEachRowHolding(word, [&](const MatchRow &row) {
      if (!seen.see(row)) visit(row);
    });
  }
  return false;
}

void MatchSnapshot::forEachRowHolding(std::string_view folded,
                                      const std::function<void(const MatchRow &)> &visit) const
{
  // Rows hold their texts one after another, in row order: a place found is in the last row that starts
  // at or before it. A few rows on are stepped to; one further is looked for by the starts of every 64th
  // row (a small list), then within those 64.
  const std::string_view all(text_);
  const auto startsAfter = [](std::size_t place, const MatchRow &row) { return place < row.text; };
  std::size_t row = 0;
  for (std::size_t at = findFrom(all, folded, 0); at != std::string_view::npos;) {
    for (int step = 0; step < 4 && row + 1 < rows_.size() && rows_[row + 1].text <= at; ++step) ++row;
    if (row + 1 < rows_.size() && rows_[row + 1].text <= at) {
      const auto block = static_cast<std::size_t>(
          std::upper_bound(blockTexts_.begin() + static_cast<std::ptrdiff_t>((row + 1) / rowsInBlock),
                           blockTexts_.end(), at) -
          blockTexts_.begin() - 1);
      const auto first = rows_.begin() + static_cast<std::ptrdiff_t>(std::max(row + 1, block * rowsInBlock));
      const auto last =
          rows_.begin() + static_cast<std::ptrdiff_t>(std::min(rows_.size(), (block + 1) * rowsInBlock));
      row = static_cast<std::size_t>(std::upper_bound(first, last, at, startsAfter) - rows_.begin() - 1);
    }
    const std::size_t end = rows_[row].text + allText(rows_[row]).size();
    if (at + folded.size() > end) {  // across two rows' texts: neither holds it there
      at = findFrom(all, folded, at + 1);
      continue;
    }
    visit(rows_[row]);
    at = findFrom(all, folded, end);
  }
}

std::string_view MatchSnapshot::lineHead(const MatchRow &row) const
{
  return {lines_.data() + row.line, row.lineLengths[0]};
}

std::string_view MatchSnapshot::lineTail(const MatchRow &row) const
{
  return {lines_.data() + row.line + row.lineLengths[0], row.lineLengths[1]};
}

const MatchRow *MatchSnapshot::find(std::int64_t id) const
{
  if (!slots_.empty()) {
    if (id < 0 || static_cast<std::uint64_t>(id) >= slots_.size() || slots_[id] == 0) return nullptr;
    return &rows_[slots_[id] - 1];
  }
  const auto found =
      std::lower_bound(rows_.begin(), rows_.end(), id,
                       [](const MatchRow &row, std::int64_t wanted) { return row.id < wanted; });
  return found != rows_.end() && found->id == id ? &*found : nullptr;
}

void MatchSnapshot::prefetchSlot(std::int64_t id) const
{
  if (id >= 0 && static_cast<std::uint64_t>(id) < slots_.size()) __builtin_prefetch(&slots_[id]);
}

void MatchSnapshot::prefetchText(const MatchRow &row) const
{
  __builtin_prefetch(text_.data() + row.text);
}

std::uint32_t MatchSnapshot::trigramCount(std::string_view folded) const
{
  if (trigrams_.empty()) return 0;
  const std::uint64_t hash = trigramHash(folded);
  const std::size_t mask = trigrams_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    if (trigrams_[at].first == hash) return trigrams_[at].second;
    if (trigrams_[at].first == 0) return 0;
  }
}

const TrigramRows &MatchSnapshot::trigramRows() const
{
  std::call_once(trigramRowsOnce_, [this] {
    trigramRows_ = std::make_unique<const TrigramRows>(*this);
    trigramRowsMade_.store(true, std::memory_order_release);
  });
  return *trigramRows_;
}

std::span<const NamePlace> MatchSnapshot::namesStartingWith(std::string_view folded) const
{
  // A name that starts with the text has its bytes first and any bytes after them.
  const std::uint64_t lowest = nameStart(folded, 0x00);
  const std::uint64_t highest = nameStart(folded, 0xFF);
  const auto first = std::partition_point(byName_.begin(), byName_.end(),
                                          [&](const NamePlace &place) { return place.start < lowest; });
  const auto last = std::partition_point(first, byName_.end(),
                                         [&](const NamePlace &place) { return place.start <= highest; });
  return {first, last};
}

std::uint64_t MatchSnapshot::trigramHash(std::string_view folded)
{
  return std::hash<std::string_view>{}(folded) | 1;  // never 0, which marks a free place
}

std::shared_ptr<const MatchSnapshot> MatchSnapshot::current(SqlSession &session, const SnapshotSql &sql)
{
  const std::string path = session.catalogueName();
  const auto now = std::chrono::steady_clock::now();
  if (sql.generationMayBeShared) {
    // A database server a round trip away: under load, searches a millisecond apart see the same one.
    const std::lock_guard lock(snapshotsMutex);
    const auto held = snapshots.find(path);
    if (held != snapshots.end() && held->second.snapshot &&
        now - held->second.generationReadAt < generationShared)
      return held->second.snapshot;
  }
  const std::int64_t generation = generationOf(session, sql.generation);
  // Searches wait while one of them makes the snapshot of a newer generation: they need it too, and let
  // other requests compute meanwhile.
  std::unique_lock lock(snapshotsMutex, std::try_to_lock);
  if (!lock.owns_lock()) {
    const WorkerPool::Waiting waiting;
    lock.lock();
  }
  auto &held = snapshots[path];
  // Any other generation, even an older one: a search whose transaction began before an import committed
  // may make the old snapshot again (once), but a catalogue file made anew starts counting again.
  if (!held.snapshot || held.snapshot->generation_ != generation)
    held.snapshot = load(session, sql.rows, generation);
  held.generationReadAt = now;
  return held.snapshot;
}

std::shared_ptr<const MatchSnapshot> MatchSnapshot::currentIfMade(SqlSession &session, const SnapshotSql &sql)
{
  const std::int64_t generation = generationOf(session, sql.generation);
  const std::unique_lock lock(snapshotsMutex, std::try_to_lock);
  if (!lock.owns_lock()) return nullptr;
  const auto held = snapshots.find(session.catalogueName());
  if (held == snapshots.end() || !held->second.snapshot || held->second.snapshot->generation_ != generation)
    return nullptr;
  return held->second.snapshot;
}

std::size_t MatchSnapshot::numberSharedFields()
{
  // The format, location and genre lie one after another in text_: their bytes and where each ends
  // tell them apart.
  struct Fields
  {
    std::string_view bytes;
    std::uint32_t formatLength;
    std::uint32_t locationLength;
    bool operator==(const Fields &) const = default;
  };
  // Salted: import data cannot be made to meet in one bucket and slow every snapshot down.
  const std::size_t seed = QHashSeed::globalSeed();
  const auto hashOf = [seed](std::string_view bytes, std::size_t salt) {
    return qHash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())), seed ^ salt);
  };
  const auto fieldsHash = [&](const Fields &fields) {
    return hashOf(fields.bytes, std::size_t{fields.formatLength} << 32 | fields.locationLength);
  };
  const auto genreHash = [&](std::string_view genre) { return hashOf(genre, 0); };
  std::unordered_map<Fields, std::uint32_t, decltype(fieldsHash)> fields(rows_.size() / 8 + 1, fieldsHash);
  std::unordered_map<std::string_view, std::uint32_t, decltype(genreHash)> genres(1024, genreHash);
  for (MatchRow &row : rows_) {
    const std::size_t start = row.text + row.lengths[0];
    const std::size_t length = std::size_t{row.lengths[1]} + row.lengths[2] + row.lengths[3];
    const std::string_view all(text_.data() + start, length);
    row.sharedFields =
        fields.try_emplace({all, row.lengths[1], row.lengths[2]}, static_cast<std::uint32_t>(fields.size()))
            .first->second;
    row.sharedGenre =
        genres.try_emplace(all.substr(length - row.lengths[3]), static_cast<std::uint32_t>(genres.size()))
            .first->second;
  }
  return genres.size();
}

void MatchSnapshot::listRowsByGenre(std::size_t genres)
{
  // Each genre's rows in name order: counted, then placed.
  if (inNameOrder_.empty()) return;
  genreStarts_.assign(genres + 1, 0);
  for (const MatchRow &row : rows_) ++genreStarts_[row.sharedGenre + 1];
  for (std::size_t genre = 1; genre < genreStarts_.size(); ++genre)
    genreStarts_[genre] += genreStarts_[genre - 1];
  std::vector<std::uint32_t> filled(genreStarts_.begin(), genreStarts_.end() - 1);
  genreRows_.resize(rows_.size());
  for (const std::uint32_t place : inNameOrder_) genreRows_[filled[rows_[place].sharedGenre]++] = place;
}

std::span<const std::uint32_t> MatchSnapshot::rowsOfGenre(std::uint32_t genre) const
{
  if (std::size_t{genre} + 1 >= genreStarts_.size()) return {};
  return {genreRows_.data() + genreStarts_[genre], genreStarts_[genre + 1] - genreStarts_[genre]};
}

std::shared_ptr<const MatchSnapshot> MatchSnapshot::load(SqlSession &session, const char *sql,
                                                         std::int64_t generation)
{
  auto snapshot = std::make_shared<MatchSnapshot>();
  snapshot->generation_ = generation;
  auto rows = session.statement(sql);
  while (rows->step()) {
    MatchRow row;
    row.id = rows->integer(0);
    row.nameOrder = rows->integer(1);
    row.bitrate = rows->integer(2);
    row.duration = rows->integer(3);
    row.kind = static_cast<std::int32_t>(rows->integer(4));
    row.family = static_cast<std::int32_t>(rows->integer(5));
    constexpr std::size_t most = std::numeric_limits<std::uint32_t>::max() / 2;
    if (row.id < 0 || snapshot->text_.size() > most || snapshot->lines_.size() > most)
      throw DatabaseError("entry_match is too large to hold");
    row.text = static_cast<std::uint32_t>(snapshot->text_.size());
    for (int field = 0; field < 4; ++field) {
      const std::string_view text = rows->textView(6 + field);
      row.lengths[field] = static_cast<std::uint32_t>(text.size());
      snapshot->text_ += text;
    }
    row.line = static_cast<std::uint32_t>(snapshot->lines_.size());
    for (int part = 0; part < 2; ++part) {
      const std::string_view text = rows->textView(10 + part);
      row.lineLengths[part] = static_cast<std::uint32_t>(text.size());
      snapshot->lines_ += text;
    }
    row.checkFailed = rows->integer(12) != 0;
    row.namePairs = bytePairBits(snapshot->text(row).name);
    snapshot->rows_.push_back(row);
  }
  // Entries are numbered from 1 up with few gaps: a table by number, unless the numbers are sparse.
  const std::int64_t last = snapshot->rows_.empty() ? 0 : snapshot->rows_.back().id;
  if (static_cast<std::uint64_t>(last) <= 2 * snapshot->rows_.size() + 65536) {
    snapshot->slots_.assign(static_cast<std::size_t>(last) + 1, 0);
    for (std::size_t i = 0; i < snapshot->rows_.size(); ++i)
      snapshot->slots_[static_cast<std::size_t>(snapshot->rows_[i].id)] = static_cast<std::uint32_t>(i + 1);
  }
  // Name orders are numbers from 1 up; others (never seen) leave the list out and searches use the index.
  const bool ranked = std::all_of(snapshot->rows_.begin(), snapshot->rows_.end(), [](const MatchRow &row) {
    return row.nameOrder >= 0 && row.nameOrder <= std::numeric_limits<std::uint32_t>::max();
  });
  if (ranked) {
    snapshot->byName_.reserve(snapshot->rows_.size());
    for (std::size_t i = 0; i < snapshot->rows_.size(); ++i) {
      const MatchRow &row = snapshot->rows_[i];
      snapshot->byName_.push_back({nameStart(snapshot->text(row).name, 0x00),
                                   static_cast<std::uint32_t>(row.nameOrder), static_cast<std::uint32_t>(i)});
    }
    std::sort(snapshot->byName_.begin(), snapshot->byName_.end(), [](const NamePlace &a, const NamePlace &b) {
      return a.start != b.start ? a.start < b.start : a.nameOrder < b.nameOrder;
    });
    // Rows are in id order, so their places break ties of name order as ids do.
    std::vector<NamePlace> ordered = snapshot->byName_;
    std::sort(ordered.begin(), ordered.end(), [](const NamePlace &a, const NamePlace &b) {
      return a.nameOrder != b.nameOrder ? a.nameOrder < b.nameOrder : a.row < b.row;
    });
    snapshot->inNameOrder_.reserve(ordered.size());
    for (const NamePlace &place : ordered) snapshot->inNameOrder_.push_back(place.row);
  }
  snapshot->listRowsByGenre(snapshot->numberSharedFields());
  for (std::size_t i = 0; i < snapshot->rows_.size(); i += rowsInBlock)
    snapshot->blockTexts_.push_back(snapshot->rows_[i].text);
  // Trigrams within each field, as the index holds them, and the pieces of one and two characters that
  // words too short for trigrams are.
  constexpr std::size_t sampleRows = 20000;
  const std::size_t step = std::max<std::size_t>(1, snapshot->rows_.size() / sampleRows);
  const auto scaled = static_cast<std::uint32_t>(step);
  std::vector<std::size_t> starts;
  std::unordered_map<std::uint64_t, std::uint32_t> counts;
  for (std::size_t i = 0; i < snapshot->rows_.size(); i += step) {
    const EntryText text = snapshot->text(snapshot->rows_[i]);
    for (const std::string_view field : {text.name, text.format, text.location, text.genre}) {
      for (std::size_t characters = 1; characters <= 3; ++characters)
        forEachPiece(field, characters, starts,
                     [&](std::string_view piece) { counts[trigramHash(piece)] += scaled; });
    }
  }
  // At most half full, so that a lookup of a trigram not there ends soon.
  snapshot->trigrams_.resize(std::bit_ceil(2 * counts.size() + 2));
  const std::size_t mask = snapshot->trigrams_.size() - 1;
  for (const auto &[hash, count] : counts) {
    std::size_t at = hash & mask;
    while (snapshot->trigrams_[at].first != 0) at = (at + 1) & mask;
    snapshot->trigrams_[at] = {hash, count};
  }
  snapshot->rows_.shrink_to_fit();
  snapshot->text_.shrink_to_fit();
  snapshot->lines_.shrink_to_fit();
  return snapshot;
}

}  // namespace tessivar::directory
