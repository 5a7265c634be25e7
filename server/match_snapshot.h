#pragma once

#include "server/search_expression.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessivar::directory {

class SqlSession;
class TrigramRows;

// The statements a snapshot is made with: the generation (one row, one column), and every entry's
// id, name_order, bitrate, duration, kind, family, fold_name, fold_format, fold_location, fold_genre,
// page_head, page_tail and check_failed, by id.
struct SnapshotSql
{
  const char *generation;
  const char *rows;
  // Whether a generation another search read within the last millisecond may stand for a new read. Not
  // where a search reads the catalogue's own index too, which must be of the snapshot's generation.
  bool generationMayBeShared = false;
};

// What keyword scoring reads of one entry (its row of entry_match), held in memory.
struct MatchRow
{
  std::int64_t id = 0;
  std::int64_t nameOrder = 0;
  std::int64_t bitrate = 0;
  std::int64_t duration = 0;
  std::uint32_t text = 0;         // where its folded fields start in the snapshot's text
  std::uint32_t lengths[4] = {};  // name, format, location, genre
  std::int32_t kind = 0;
  std::int32_t family = 0;
  std::uint32_t line = 0;             // where its result line's texts start in the snapshot's lines
  std::uint32_t lineLengths[2] = {};  // the line's head and tail, as entries keeps them
  bool checkFailed = false;
  // The same for every row with the same format, location and genre (sharedFields), or the same genre
  // (sharedGenre): what a search word scores there is worked out once for each (RelevanceMemo).
  std::uint32_t sharedFields = 0;
  std::uint32_t sharedGenre = 0;
  std::uint32_t namePairs = 0;  // bytePairBits() of the folded name (relevance_memo.h)
};

// A row's place in the snapshot's list by the start of its folded name.
struct NamePlace
{
  std::uint64_t start = 0;  // the first 8 bytes of its folded name, the first one highest, 0 for none
  std::uint32_t nameOrder = 0;
  std::uint32_t row = 0;  // place in rows()
};

// All of entry_match at one catalogue generation, with the entries' result lines, shared by the searches
// of every connection to that catalogue: the candidates are found here or on an index, and their
// scoring data and the lines of the page come from here instead of table lookups (about 200 bytes an
// entry). Made again, once, by the first search
// that sees a newer generation (an import raises it in the same transaction as its changes).
class MatchSnapshot
{
 public:
  // The snapshot of the catalogue the session reads, at the generation it sees. Call it inside the read
  // transaction that also runs the search, where there is one, so the two see the same catalogue.
  static std::shared_ptr<const MatchSnapshot> current(SqlSession &session, const SnapshotSql &sql);
  // The same, when it can be had without waiting: the snapshot of the generation the session sees is
  // made, and no search is making one. nullptr otherwise.
  static std::shared_ptr<const MatchSnapshot> currentIfMade(SqlSession &session, const SnapshotSql &sql);

  // The entry's row; nullptr when there is none.
  const MatchRow *find(std::int64_t id) const;
  // Asks memory for what find() and text() will read, ahead of them: candidates come scattered over a
  // snapshot far larger than the processor's caches, and a batch of such requests waits about as long as
  // one.
  void prefetchSlot(std::int64_t id) const;
  void prefetchText(const MatchRow &row) const;
  const std::vector<MatchRow> &rows() const { return rows_; }
  EntryText text(const MatchRow &row) const;
  static std::uint32_t shared(const MatchRow &row, SearchScope scope)
  {
    return scope == SearchScope::GenreOnly ? row.sharedGenre : row.sharedFields;
  }
  // The row's folded fields one after another.
  std::string_view allText(const MatchRow &row) const;
  // Calls visit once for each row whose allText() holds one of the folded words, and maybe for others:
  // for words too short for any index, a search of all the rows' texts together for each. Every row, and
  // true, when a word is empty or one that trigramCount() finds in many rows.
  bool forEachRowHoldingAny(std::span<const std::string_view> words,
                            const std::function<void(const MatchRow &)> &visit) const;
  // The texts of the entry's line on a result page, before and after its check flag (see result_page.h).
  std::string_view lineHead(const MatchRow &row) const;
  std::string_view lineTail(const MatchRow &row) const;
  // The rows whose folded name starts with the folded text, among a few more whose names start with the
  // same 8 bytes (a list by whole names would take seconds to make at a million entries). In name order
  // where they start alike.
  std::span<const NamePlace> namesStartingWith(std::string_view folded) const;
  // Every row's place in rows(), in name order; empty when the catalogue has no name order.
  std::span<const std::uint32_t> inNameOrder() const { return inNameOrder_; }
  // How many genres the rows have (as MatchRow::sharedGenre numbers them), and each one's rows' places in
  // rows(), in name order; 0 when the catalogue has no name order.
  std::size_t genres() const { return genreStarts_.empty() ? 0 : genreStarts_.size() - 1; }
  std::span<const std::uint32_t> rowsOfGenre(std::uint32_t genre) const;
  // Roughly how many entries hold the case-folded trigram in a searched field (or a piece of one or two
  // characters), counted on a sample of about 20,000 entries when the snapshot is made; 0 for one the
  // sample lacks.
  std::uint32_t trigramCount(std::string_view folded) const;
  // The snapshot's rows by trigram, made by the first call.
  const TrigramRows &trigramRows() const;
  bool hasTrigramRows() const { return trigramRowsMade_.load(std::memory_order_acquire); }

 private:
  static std::shared_ptr<const MatchSnapshot> load(SqlSession &session, const char *sql,
                                                   std::int64_t generation);
  static std::uint64_t trigramHash(std::string_view folded);
  // Each row whose allText() holds the non-empty text once, in row order.
  void forEachRowHolding(std::string_view folded, const std::function<void(const MatchRow &)> &visit) const;
  // Numbers the rows' shared fields and genres (MatchRow); returns how many genres there are.
  std::size_t numberSharedFields();
  void listRowsByGenre(std::size_t genres);

  std::int64_t generation_ = -1;
  std::vector<MatchRow> rows_;        // by number
  std::vector<std::uint32_t> slots_;  // number -> place in rows_ + 1, 0 = none; empty when numbers are sparse
  std::string text_;                  // every row's folded fields, one after another
  std::string lines_;                 // every row's result line texts, one after another
  std::vector<NamePlace> byName_;     // every row by the start of its folded name, then name order
  std::vector<std::uint32_t> inNameOrder_;
  std::vector<std::uint32_t> blockTexts_;  // where the text of every 64th row starts
  // By genre, where its rows begin in genreRows_, one more at the end; and the rows.
  std::vector<std::uint32_t> genreStarts_;
  std::vector<std::uint32_t> genreRows_;
  // Counts by the trigram's hash, open addressing (a hash of 0 marks a free place; a collision of two
  // hashes only blurs an estimate): one memory read per lookup, where a table of strings took several.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> trigrams_;
  mutable std::once_flag trigramRowsOnce_;
  mutable std::unique_ptr<const TrigramRows> trigramRows_;
  mutable std::atomic<bool> trigramRowsMade_{false};
};

// The rows of a snapshot already looked at by a search.
class SeenRows
{
 public:
  explicit SeenRows(const MatchSnapshot &snapshot)
      : first_(snapshot.rows().data()), bits_((snapshot.rows().size() + 63) / 64)
  {
  }
  // Whether the row was seen before; it is from now on.
  bool see(const MatchRow &row)
  {
    const auto at = static_cast<std::size_t>(&row - first_);
    const std::uint64_t bit = std::uint64_t{1} << (at % 64);
    const bool seen = (bits_[at / 64] & bit) != 0;
    bits_[at / 64] |= bit;
    return seen;
  }

 private:
  const MatchRow *first_;
  std::vector<std::uint64_t> bits_;
};

}  // namespace tessivar::directory
