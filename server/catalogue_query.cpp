#include "server/catalogue_query.h"

#include "server/folded_text.h"
#include "server/format_family.h"
#include "server/match_snapshot.h"
#include "server/related_clips.h"
#include "server/result_page.h"
#include "server/sqlite_db.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <limits>
#include <map>

namespace tessivar::directory {

namespace {

#define ENTRY_COLUMNS                                                                                      \
  "e.id, e.kind, e.family, e.url, e.name, e.format, e.location, e.state, e.country, e.genre, e.homepage, " \
  "e.bitrate, e.duration, e.show_id, e.check_failed"

#define ENTRY_FILTER                                                                        \
  "((?1 >> e.kind) & 1) = 1 AND ((?2 >> e.family) & 1) = 1 AND (?3 = 0 OR e.bitrate <= ?3)" \
  " AND (?4 = 0 OR e.kind <> 2 OR e.bitrate >= ?4) AND (?5 = 0 OR e.kind <> 2 OR e.duration >= ?5)"

// The candidates' numbers only: what scoring reads of them is in the MatchSnapshot.
constexpr const char *searchByIndexSql = "SELECT rowid FROM entry_text WHERE entry_text MATCH ?1";
// Read in the order of the index by name, so the first lines go out at once whatever the catalogue's size.
constexpr const char *listAllSql =
    "SELECT e.page_head, e.page_tail, e.duration, e.id, e.check_failed"
    " FROM entries e INDEXED BY entries_by_name WHERE " ENTRY_FILTER " ORDER BY e.name COLLATE NOCASE, e.id";
constexpr std::size_t listAllChunkBytes = 64 * 1024;
constexpr const char *browseSql = "SELECT " ENTRY_COLUMNS
                                  " FROM entries e WHERE e.kind = 2 AND e.initial = ?1"
                                  " ORDER BY e.name COLLATE NOCASE, e.id LIMIT ?2 OFFSET ?3";
constexpr const char *browseCountSql = "SELECT count(*) FROM entries WHERE kind = 2 AND initial = ?1";
constexpr const char *entryByIdSql = "SELECT " ENTRY_COLUMNS " FROM entries e WHERE e.id = ?1";
constexpr const char *sameShowSql =
    "SELECT " ENTRY_COLUMNS " FROM entries e WHERE e.show_id = ?1 AND e.kind = 2 LIMIT 500";
constexpr const char *relatedByIndexSql =
    "SELECT " ENTRY_COLUMNS
    " FROM entry_text JOIN entries e ON e.id = entry_text.rowid"
    " WHERE entry_text MATCH ?1 AND e.kind = 2 ORDER BY rank LIMIT 2000";
constexpr const char *nextStationSql = "SELECT " ENTRY_COLUMNS
                                       " FROM entries e WHERE e.kind = 0 AND e.id > ?1"
                                       " AND ((?2 >> e.family) & 1) = 1 AND (?3 = 0 OR e.bitrate <= ?3)"
                                       " ORDER BY e.id LIMIT 1";

CatalogueEntry readEntry(const Statement &row)
{
  CatalogueEntry entry;
  entry.id = row.integer(0);
  entry.kind = static_cast<int>(row.integer(1));
  entry.family = static_cast<int>(row.integer(2));
  entry.url = row.text(3);
  entry.name = row.text(4);
  entry.format = row.text(5);
  entry.location = row.text(6);
  entry.state = row.text(7);
  entry.country = row.text(8);
  entry.genre = row.text(9);
  entry.homepage = row.text(10);
  entry.bitrate = row.integer(11);
  entry.duration = row.integer(12);
  entry.showId = row.integer(13);
  entry.checkFailed = row.integer(14) != 0;
  return entry;
}

void bindFilter(Statement &statement, const EntryFilter &filter)
{
  statement.bind(1, static_cast<std::int64_t>(filter.kinds))
      .bind(2, static_cast<std::int64_t>(filter.families))
      .bind(3, filter.maxBitrate)
      .bind(4, filter.minBitrate)
      .bind(5, filter.minSeconds);
}

QString toQString(const std::string &text)
{
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct Match
{
  int score = 0;
  std::int64_t nameOrder = 0;
  std::int64_t id = 0;
};

QString quotedTerm(const QString &text)
{
  QString out = text;
  out.replace(u'"', QStringLiteral("\"\""));
  return u'"' + out + u'"';
}

}  // namespace

namespace {

// ENTRY_FILTER in C++.
bool passes(const EntryFilter &filter, std::int64_t kind, std::int64_t family, std::int64_t bitrate,
            std::int64_t duration)
{
  if (kind < 0 || kind > 31 || family < 0 || family > 31) return false;
  if (((filter.kinds >> kind) & 1u) == 0 || ((filter.families >> family) & 1u) == 0) return false;
  if (filter.maxBitrate != 0 && bitrate > filter.maxBitrate) return false;
  const bool clip = kind == static_cast<int>(EntryKind::Clip);
  if (filter.minBitrate != 0 && clip && bitrate < filter.minBitrate) return false;
  return filter.minSeconds == 0 || !clip || duration >= filter.minSeconds;
}

// One read transaction, so that the snapshot and the index are of the same catalogue. Its two statements
// are prepared once per connection (parsing them was a twentieth of a short search).
class ReadTransaction
{
 public:
  explicit ReadTransaction(Database &db) : db_(db) { db_.query("BEGIN")->run(); }
  ~ReadTransaction()
  {
    try {
      db_.query("COMMIT")->run();
    } catch (const DatabaseError &) {
      // Nothing was written; the connection goes back to the pool either way.
    }
  }
  ReadTransaction(const ReadTransaction &) = delete;
  ReadTransaction &operator=(const ReadTransaction &) = delete;

 private:
  Database &db_;
};

bool better(const Match &a, const Match &b)
{
  if (a.score != b.score) return a.score > b.score;
  return a.nameOrder != b.nameOrder ? a.nameOrder < b.nameOrder : a.id < b.id;
}

// The best `limit` matches seen so far: a heap with the worst of them on top. Once it is full of
// matches with the highest score an entry can reach, an entry that comes later in name order cannot
// enter whatever its text, and is not scored at all.
class BestMatches
{
 public:
  explicit BestMatches(std::size_t limit) : limit_(limit) { kept_.reserve(limit); }

  // Whether an entry whose score is at most `highest` could enter.
  bool mayEnter(int highest, std::int64_t nameOrder, std::int64_t id) const
  {
    if (kept_.size() < limit_) return true;
    return limit_ != 0 && better({highest, nameOrder, id}, kept_.front());
  }

  void offer(const Match &match)
  {
    if (kept_.size() < limit_) {
      kept_.push_back(match);
      std::push_heap(kept_.begin(), kept_.end(), better);
    } else if (limit_ != 0 && better(match, kept_.front())) {
      std::pop_heap(kept_.begin(), kept_.end(), better);
      kept_.back() = match;
      std::push_heap(kept_.begin(), kept_.end(), better);
    }
  }

  // Whether every match kept has the score, and there are `limit` of them.
  bool fullAt(int score) const
  {
    return kept_.size() == limit_ && (kept_.empty() || kept_.front().score == score);
  }

  // Best first.
  std::vector<Match> take()
  {
    std::sort_heap(kept_.begin(), kept_.end(), better);
    return std::move(kept_);
  }

 private:
  std::size_t limit_;
  std::vector<Match> kept_;
};

// Calls visit(row) for every entry the full-text query finds.
template <typename Visit>
void forEachMatchOf(Database &db, const MatchSnapshot &snapshot, const std::string &match, Visit visit)
{
  auto statement = db.query(searchByIndexSql);
  statement->bind(1, match);
  // A batch of candidates at a time: each step below asks memory for what the next one reads, for the
  // whole batch, so the waits overlap.
  constexpr std::size_t batch = 64;
  std::array<std::int64_t, batch> ids;
  std::array<const MatchRow *, batch> rows;
  for (bool more = true; more;) {
    std::size_t read = 0;
    while (read < batch && (more = statement->step())) ids[read++] = statement->integer(0);
    for (std::size_t i = 0; i < read; ++i) snapshot.prefetchSlot(ids[i]);
    std::size_t found = 0;
    for (std::size_t i = 0; i < read; ++i) {
      if (const MatchRow *row = snapshot.find(ids[i])) {
        __builtin_prefetch(row);
        rows[found++] = row;
      }
    }
    for (std::size_t i = 0; i < found; ++i) snapshot.prefetchText(*rows[i]);
    for (std::size_t i = 0; i < found; ++i) visit(*rows[i]);
  }
}

std::string indexQuery(const MatchSnapshot &snapshot, const SearchExpression &expression, SearchScope scope)
{
  return fullTextQuery(expression, scope,
                       [&](std::string_view trigram) { return snapshot.trigramCount(trigram); });
}

// Calls visit(row) for every entry the index finds as a candidate of the expression (every entry when it
// cannot).
template <typename Visit>
void forEachCandidate(Database &db, const MatchSnapshot &snapshot, const SearchExpression &expression,
                      SearchScope scope, Visit visit)
{
  const std::string match = indexQuery(snapshot, expression, scope);
  if (match.empty()) {
    for (const MatchRow &row : snapshot.rows()) visit(row);
    return;
  }
  forEachMatchOf(db, snapshot, match, visit);
}

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

bool searchable(const SearchExpression &expression, const EntryFilter &filter)
{
  return !expression.empty() && filter.kinds != 0 && filter.families != 0;
}

// Every match, in no order.
std::vector<Match> findMatches(Database &db, const SearchExpression &expression, SearchScope scope,
                               const EntryFilter &filter)
{
  std::vector<Match> matches;
  if (!searchable(expression, filter)) return matches;
  const ReadTransaction transaction(db);
  const auto snapshot = MatchSnapshot::current(db);
  forEachCandidate(db, *snapshot, expression, scope, [&](const MatchRow &row) {
    if (!passes(filter, row.kind, row.family, row.bitrate, row.duration)) return;
    const int score = relevance(expression, scope, snapshot->text(row));
    if (score > 0) matches.push_back({score, row.nameOrder, row.id});
  });
  return matches;
}

// A search of one word over every field: its highest score is the word's best match in the name, which
// only a name that starts with it has.
const WordPattern *nameStartWord(const SearchExpression &expression, SearchScope scope)
{
  if (scope != SearchScope::AllFields || expression.alternatives.size() != 1) return nullptr;
  const Alternative &words = expression.alternatives.front();
  return words.size() == 1 && !words.front().folded.empty() ? &words.front() : nullptr;
}

// Whether every word of some alternative is somewhere in the entry's folded fields; when none is, the
// entry does not match, and one search of its text for each word says so sooner than scoring does.
bool mayMatch(const SearchExpression &expression, std::string_view allText)
{
  return std::any_of(expression.alternatives.begin(), expression.alternatives.end(),
                     [&](const Alternative &words) {
                       return std::all_of(words.begin(), words.end(), [&](const WordPattern &word) {
                         return allText.find(word.folded) != std::string_view::npos;
                       });
                     });
}

// The best `limit` matches, best first: by score, then in name order.
std::vector<Match> findBest(Database &db, const std::shared_ptr<const MatchSnapshot> &snapshot,
                            const SearchExpression &expression, SearchScope scope, const EntryFilter &filter,
                            std::size_t limit)
{
  const int highest = highestRelevance(expression, scope);
  BestMatches best(limit);
  // Most candidates of one word hold it (the index finds them by a piece of it): a search of several
  // words is where the text check pays.
  const bool prefilter = scope == SearchScope::AllFields &&
                         (expression.alternatives.size() > 1 || expression.alternatives.front().size() > 1);
  const auto consider = [&](const MatchRow &row) {
    if (!best.mayEnter(highest, row.nameOrder, row.id)) return;
    if (!passes(filter, row.kind, row.family, row.bitrate, row.duration)) return;
    if (prefilter && !mayMatch(expression, snapshot->allText(row))) return;
    const int score = relevance(expression, scope, snapshot->text(row));
    if (score > 0) best.offer({score, row.nameOrder, row.id});
  };
  // A common word ("radio") has hundreds of thousands of candidates, but the entries whose names start
  // with it are found by name at once: when enough of them have the highest score, no other entry can
  // enter the page.
  const WordPattern *word = nameStartWord(expression, scope);
  if (!word) {
    forEachCandidate(db, *snapshot, expression, scope, consider);
    return best.take();
  }
  SeenRows seen(*snapshot);
  for (const NamePlace &place : snapshot->namesStartingWith(word->folded)) {
    if (!best.mayEnter(highest, place.nameOrder, std::numeric_limits<std::int64_t>::min())) continue;
    const MatchRow &row = snapshot->rows()[place.row];
    if (!snapshot->text(row).name.starts_with(word->folded)) continue;
    seen.see(row);
    consider(row);
  }
  if (best.fullAt(highest)) return best.take();
  // Otherwise the other entries are looked for one field at a time, heaviest first, each field through
  // the index's own list of it: what the word gives in a field caps the score of an entry found there
  // and in no heavier field, and once the page is full of matches above that cap the rest is not read
  // ("china": a few hundred names, then about 90,000 places). The index and this program fold letters
  // alike in ASCII; a word with other letters has all its candidates scored together.
  const std::string match = indexQuery(*snapshot, expression, scope);
  const bool byField =
      !match.empty() && std::all_of(match.begin(), match.end(), [](char c) { return c > 0 && c < 0x7F; });
  for (const FieldBound &field : wordFieldBounds()) {
    if (!best.mayEnter(field.highest, 0, 0)) break;
    const auto visit = [&](const MatchRow &row) {
      if (!seen.see(row) && best.mayEnter(field.highest, row.nameOrder, row.id)) consider(row);
    };
    if (!byField) {
      forEachCandidate(db, *snapshot, expression, scope, visit);
      break;
    }
    forEachMatchOf(db, *snapshot, std::string(field.column) + " : " + match, visit);
  }
  return best.take();
}

}  // namespace

void prepareSearches(Database &db)
{
  const ReadTransaction transaction(db);
  MatchSnapshot::current(db);
}

std::string searchPage(Database &db, const SearchExpression &expression, SearchScope scope,
                       const EntryFilter &filter, PageLayout layout, std::size_t limit)
{
  if (!searchable(expression, filter)) return resultPageStart() + resultPageEnd;
  const ReadTransaction transaction(db);
  const auto snapshot = MatchSnapshot::current(db);
  const std::vector<Match> matches = findBest(db, snapshot, expression, scope, filter, limit);
  std::string page = resultPageStart();
  std::size_t size = page.size() + 32;
  std::vector<const MatchRow *> rows;
  rows.reserve(matches.size());
  for (const Match &match : matches) {
    if (const MatchRow *row = snapshot->find(match.id)) {
      rows.push_back(row);
      size += row->lineLengths[0] + row->lineLengths[1] + 32;
    }
  }
  page.reserve(size);
  for (const MatchRow *row : rows)
    appendResultLine(page, snapshot->lineHead(*row), snapshot->lineTail(*row), layout, row->duration, row->id,
                     row->checkFailed);
  page += resultPageEnd;
  return page;
}

void writeListAllPage(Database &db, const EntryFilter &filter, PageLayout layout, const ChunkSink &sink)
{
  std::string chunk = resultPageStart();
  chunk.reserve(listAllChunkBytes + 4096);
  auto statement = db.query(listAllSql);
  bindFilter(*statement, filter);
  while (statement->step()) {
    appendResultLine(chunk, statement->textView(0), statement->textView(1), layout, statement->integer(2),
                     statement->integer(3), statement->integer(4) != 0);
    if (chunk.size() >= listAllChunkBytes) {
      if (!sink(chunk)) return;
      chunk.clear();
    }
  }
  chunk += resultPageEnd;
  sink(chunk);
}

BrowsePage browseClips(Database &db, char initial, std::int64_t page)
{
  const std::string letter(1, initial);
  BrowsePage result;
  std::int64_t total = 0;
  {
    auto count = db.query(browseCountSql);
    count->bind(1, letter);
    if (count->step()) total = count->integer(0);
  }
  result.totalPages = std::max<std::int64_t>(1, (total + browsePageSize - 1) / browsePageSize);
  const std::int64_t index = std::max<std::int64_t>(page, 1) - 1;
  if (index >= result.totalPages) return result;
  auto rows = db.query(browseSql);
  rows->bind(1, letter).bind(2, browsePageSize).bind(3, index * browsePageSize);
  while (rows->step()) result.entries.push_back(readEntry(*rows));
  return result;
}

std::vector<CatalogueEntry> relatedClips(Database &db, std::int64_t id, std::uint32_t families)
{
  std::optional<CatalogueEntry> item;
  {
    auto statement = db.query(entryByIdSql);
    statement->bind(1, id);
    if (statement->step()) item = readEntry(*statement);
  }
  if (!item || families == 0) return {};

  const QStringList words = titleWords(toQString(item->name));
  const QStringList tags = tagList(toQString(item->genre));
  std::map<std::int64_t, CatalogueEntry> candidates;
  if (item->showId != 0) {
    auto statement = db.query(sameShowSql);
    statement->bind(1, item->showId);
    while (statement->step()) {
      CatalogueEntry entry = readEntry(*statement);
      candidates.emplace(entry.id, std::move(entry));
    }
  }
  QStringList groups;
  if (!words.isEmpty()) {
    QStringList terms;
    for (const QString &word : words) terms << quotedTerm(word);
    groups << QStringLiteral("name : (") + terms.join(QStringLiteral(" OR ")) + u')';
  }
  if (!tags.isEmpty()) {
    QStringList terms;
    for (const QString &tag : tags) terms << quotedTerm(tag);
    groups << QStringLiteral("genre : (") + terms.join(QStringLiteral(" OR ")) + u')';
  }
  if (!groups.isEmpty()) {
    auto statement = db.query(relatedByIndexSql);
    statement->bind(1, groups.join(QStringLiteral(" OR ")).toStdString());
    while (statement->step()) {
      CatalogueEntry entry = readEntry(*statement);
      candidates.emplace(entry.id, std::move(entry));
    }
  }

  return rankRelated(*item, std::move(candidates), families, maxRelatedResults);
}

EntryFilter scanStyleFilter(std::uint32_t families, std::int64_t maxBitrate)
{
  EntryFilter filter;
  filter.kinds = 1u << static_cast<int>(EntryKind::Radio);
  filter.families = families;
  filter.maxBitrate = maxBitrate;
  return filter;
}

ScanStep nextStation(Database &db, const SearchExpression &style, std::uint32_t families,
                     std::int64_t maxBitrate, std::int64_t after)
{
  ScanStep step;
  if (style.empty()) {
    for (const std::int64_t from : {after, std::int64_t{0}}) {
      auto statement = db.query(nextStationSql);
      statement->bind(1, from).bind(2, static_cast<std::int64_t>(families)).bind(3, maxBitrate);
      if (statement->step()) {
        step.styleHasStations = true;
        if (from == after) step.station = readEntry(*statement);
        break;
      }
    }
    return step;
  }
  const std::vector<Match> matches =
      findMatches(db, style, SearchScope::GenreOnly, scanStyleFilter(families, maxBitrate));
  step.styleHasStations = !matches.empty();
  const std::optional<std::int64_t> next = nextNumberAfter(matches, after);
  if (next) {
    auto statement = db.query(entryByIdSql);
    statement->bind(1, *next);
    if (statement->step()) step.station = readEntry(*statement);
  }
  return step;
}

}  // namespace tessivar::directory
