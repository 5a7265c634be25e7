#include "server/pg_queries.h"

#include "server/folded_text.h"
#include "server/format_family.h"
#include "server/pg_connection.h"
#include "server/related_clips.h"

#include <QStringList>

#include <algorithm>
#include <map>

namespace tessivar::directory {

namespace {

#define PG_ENTRY_COLUMNS                                                                                   \
  "e.id, e.kind, e.family, e.url, e.name, e.format, e.location, e.state, e.country, e.genre, e.homepage, " \
  "e.bitrate, e.duration, e.show_id, e.check_failed"

#define PG_ENTRY_FILTER                                                                             \
  "(($1::bigint >> e.kind) & 1) = 1 AND (($2::bigint >> e.family) & 1) = 1"                         \
  " AND ($3::bigint = 0 OR e.bitrate <= $3) AND ($4::bigint = 0 OR e.kind <> 2 OR e.bitrate >= $4)" \
  " AND ($5::bigint = 0 OR e.kind <> 2 OR e.duration >= $5)"

// A keyword search reads the narrow rows of entry_match (named e for the filter), then the page
// texts of the entries it keeps.
#define PG_MATCH_COLUMNS "e.id, e.name_key, e.fold_name, e.fold_format, e.fold_location, e.fold_genre"

// Every word of some alternative in the text: $N is a two-dimensional array, one row per
// alternative, padded with "%" (which matches anything).
#define PG_SOME_ALTERNATIVE(column, n)                  \
  " AND EXISTS (SELECT 1 FROM generate_subscripts($" #n \
  "::text[], 1) AS a(i)"                                \
  " WHERE " column " LIKE ALL (($" #n "::text[])[a.i:a.i]))"

// The trigram index finds the entries holding the longest word of some alternative ($6); the
// rows that cannot match are left out before they are sent.
constexpr const char *searchAllFieldsSql =
    "SELECT " PG_MATCH_COLUMNS " FROM entry_match e WHERE " PG_ENTRY_FILTER
    " AND e.fold_all LIKE ANY ($6::text[])" PG_SOME_ALTERNATIVE("e.fold_all", 7);
constexpr const char *searchGenreSql =
    "SELECT " PG_MATCH_COLUMNS " FROM entry_match e WHERE " PG_ENTRY_FILTER
    " AND e.fold_all LIKE ANY ($6::text[])" PG_SOME_ALTERNATIVE("e.fold_genre", 7);
constexpr const char *scanAllFieldsSql =
    "SELECT " PG_MATCH_COLUMNS
    " FROM entry_match e WHERE " PG_ENTRY_FILTER PG_SOME_ALTERNATIVE("e.fold_all", 6);
constexpr const char *scanGenreSql =
    "SELECT " PG_MATCH_COLUMNS
    " FROM entry_match e WHERE " PG_ENTRY_FILTER PG_SOME_ALTERNATIVE("e.fold_genre", 6);
constexpr const char *pageLinesSql =
    "SELECT k.ord, e.page_head, e.page_tail, e.duration, e.check_failed"
    " FROM unnest($1::bigint[]) WITH ORDINALITY AS k(id, ord) JOIN entries e ON e.id = k.id";
constexpr const char *listAllSql =
    "SELECT e.page_head, e.page_tail, e.duration, e.id, e.check_failed"
    " FROM entries e WHERE " PG_ENTRY_FILTER " ORDER BY lower(e.name), e.id";
constexpr const char *browseSql = "SELECT " PG_ENTRY_COLUMNS
                                  " FROM entries e WHERE e.kind = 2 AND e.initial = $1"
                                  " ORDER BY lower(e.name), e.id LIMIT $2 OFFSET $3";
constexpr const char *browseCountSql = "SELECT count(*) FROM entries WHERE kind = 2 AND initial = $1";
constexpr const char *entryByIdSql = "SELECT " PG_ENTRY_COLUMNS " FROM entries e WHERE e.id = $1";
constexpr const char *sameShowSql =
    "SELECT " PG_ENTRY_COLUMNS " FROM entries e WHERE e.show_id = $1 AND e.kind = 2 LIMIT 500";
constexpr const char *relatedCandidatesSql =
    "SELECT " PG_ENTRY_COLUMNS
    " FROM entries e JOIN entry_match m ON m.id = e.id WHERE m.kind = 2"
    " AND m.fold_all LIKE ANY ($3::text[])"
    " AND (m.fold_name LIKE ANY ($1::text[]) OR m.fold_genre LIKE ANY ($2::text[])) ORDER BY e.id LIMIT 2000";
constexpr const char *nextStationSql =
    "SELECT " PG_ENTRY_COLUMNS
    " FROM entries e WHERE e.kind = 0 AND e.id > $1"
    " AND (($2::bigint >> e.family) & 1) = 1 AND ($3::bigint = 0 OR e.bitrate <= $3)"
    " ORDER BY e.id LIMIT 1";

CatalogueEntry readEntry(const PgResult &rows, int row)
{
  CatalogueEntry entry;
  entry.id = rows.integer(row, 0);
  entry.kind = static_cast<int>(rows.integer(row, 1));
  entry.family = static_cast<int>(rows.integer(row, 2));
  entry.url = rows.text(row, 3);
  entry.name = rows.text(row, 4);
  entry.format = rows.text(row, 5);
  entry.location = rows.text(row, 6);
  entry.state = rows.text(row, 7);
  entry.country = rows.text(row, 8);
  entry.genre = rows.text(row, 9);
  entry.homepage = rows.text(row, 10);
  entry.bitrate = rows.integer(row, 11);
  entry.duration = rows.integer(row, 12);
  entry.showId = rows.integer(row, 13);
  entry.checkFailed = rows.integer(row, 14) != 0;
  return entry;
}

PgParams filterParams(const EntryFilter &filter)
{
  return {pgValue(filter.kinds), pgValue(filter.families), pgValue(filter.maxBitrate),
          pgValue(filter.minBitrate), pgValue(filter.minSeconds)};
}

std::string likeAnywhere(std::string_view folded)
{
  std::string pattern = "%";
  for (const char c : folded) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + '%';
}

// Each alternative's words as LIKE patterns, one row each, padded to one length with "%".
std::string alternativesMatrix(const SearchExpression &expression)
{
  std::size_t width = 1;
  for (const auto &alternative : expression.alternatives) width = std::max(width, alternative.size());
  std::string matrix = "{";
  for (const auto &alternative : expression.alternatives) {
    std::vector<std::string> row;
    for (const auto &word : alternative) row.push_back(likeAnywhere(word.folded));
    row.resize(width, "%");
    if (matrix.size() > 1) matrix += ',';
    matrix += pgTextArray(row);
  }
  return matrix + '}';
}

struct Match
{
  int score = 0;
  std::string nameKey;  // see pgNameKey()
  std::int64_t id = 0;
};

std::vector<Match> findMatches(PgConnection &connection, const SearchExpression &expression,
                               SearchScope scope, const EntryFilter &filter)
{
  std::vector<Match> matches;
  if (expression.empty() || filter.kinds == 0 || filter.families == 0) return matches;
  const std::vector<std::string> patterns = candidatePatterns(expression);
  const bool genre = scope == SearchScope::GenreOnly;
  PgParams params = filterParams(filter);
  const char *sql = genre ? scanGenreSql : scanAllFieldsSql;
  if (!patterns.empty()) {
    params.push_back(pgTextArray(patterns));
    sql = genre ? searchGenreSql : searchAllFieldsSql;
  }
  params.push_back(alternativesMatrix(expression));
  const PgResult rows = connection.query(sql, params);
  for (int row = 0; row < rows.rows(); ++row) {
    const EntryText text{rows.text(row, 2), rows.text(row, 3), rows.text(row, 4), rows.text(row, 5)};
    const int score = relevance(expression, scope, text);
    if (score > 0) matches.push_back({score, std::string(rows.text(row, 1)), rows.integer(row, 0)});
  }
  return matches;
}

void keepBest(std::vector<Match> &matches, std::size_t limit)
{
  const auto better = [](const Match &a, const Match &b) {
    if (a.score != b.score) return a.score > b.score;
    const int byName = a.nameKey.compare(b.nameKey);
    return byName != 0 ? byName < 0 : a.id < b.id;
  };
  if (matches.size() > limit) {
    std::partial_sort(matches.begin(), matches.begin() + static_cast<std::ptrdiff_t>(limit), matches.end(),
                      better);
    matches.resize(limit);
  } else {
    std::sort(matches.begin(), matches.end(), better);
  }
}

QString toQString(const std::string &text)
{
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::vector<std::string> patternsOf(const QStringList &words)
{
  std::vector<std::string> patterns;
  for (const QString &word : words) patterns.push_back(likeAnywhere(foldedText(word)));
  return patterns;
}

}  // namespace

std::vector<std::string> candidatePatterns(const SearchExpression &expression)
{
  std::vector<std::string> patterns;
  for (const auto &alternative : expression.alternatives) {
    const WordPattern *longest = nullptr;
    qsizetype longestLength = 0;
    for (const auto &word : alternative) {
      const qsizetype length = QStringView(word.core).toUcs4().size();
      if (length > longestLength) {
        longest = &word;
        longestLength = length;
      }
    }
    if (!longest || longestLength < 3) return {};
    std::string pattern = likeAnywhere(longest->folded);
    if (std::find(patterns.begin(), patterns.end(), pattern) == patterns.end()) patterns.push_back(pattern);
  }
  return patterns;
}

std::string pgSearchPage(PgConnection &connection, const SearchExpression &expression, SearchScope scope,
                         const EntryFilter &filter, PageLayout layout, std::size_t limit)
{
  std::vector<Match> matches = findMatches(connection, expression, scope, filter);
  keepBest(matches, limit);
  std::vector<std::int64_t> ids;
  ids.reserve(matches.size());
  for (const Match &match : matches) ids.push_back(match.id);
  std::vector<std::string> lines(matches.size());
  if (!ids.empty()) {
    const PgResult rows = connection.query(pageLinesSql, {pgIntegerArray(ids)});
    for (int row = 0; row < rows.rows(); ++row) {
      const auto at = static_cast<std::size_t>(rows.integer(row, 0) - 1);
      if (at < lines.size())
        appendResultLine(lines[at], rows.text(row, 1), rows.text(row, 2), layout, rows.integer(row, 3),
                         matches[at].id, rows.integer(row, 4) != 0);
    }
  }
  std::size_t size = 0;
  for (const auto &line : lines) size += line.size();
  std::string page = resultPageStart();
  page.reserve(page.size() + size + 32);
  for (const auto &line : lines) page += line;
  page += resultPageEnd;
  return page;
}

void pgWriteListAllPage(PgConnection &connection, const EntryFilter &filter, PageLayout layout,
                        const ChunkSink &sink)
{
  constexpr std::size_t chunkSize = 64 * 1024;
  std::string chunk = resultPageStart();
  bool wanted = true;
  connection.streamRows(listAllSql, filterParams(filter), [&](const PgResult &row) {
    appendResultLine(chunk, row.text(0, 0), row.text(0, 1), layout, row.integer(0, 2), row.integer(0, 3),
                     row.integer(0, 4) != 0);
    if (chunk.size() < chunkSize) return true;
    wanted = sink(chunk);
    chunk.clear();
    return wanted;
  });
  if (!wanted) return;
  chunk += resultPageEnd;
  sink(chunk);
}

BrowsePage pgBrowseClips(PgConnection &connection, char initial, std::int64_t page)
{
  const std::string letter(1, initial);
  BrowsePage result;
  const std::int64_t total = connection.query(browseCountSql, {letter}).integer(0, 0);
  result.totalPages = std::max<std::int64_t>(1, (total + browsePageSize - 1) / browsePageSize);
  const std::int64_t index = std::max<std::int64_t>(page, 1) - 1;
  if (index >= result.totalPages) return result;
  const PgResult rows =
      connection.query(browseSql, {letter, pgValue(browsePageSize), pgValue(index * browsePageSize)});
  for (int row = 0; row < rows.rows(); ++row) result.entries.push_back(readEntry(rows, row));
  return result;
}

std::vector<CatalogueEntry> pgRelatedClips(PgConnection &connection, std::int64_t id, std::uint32_t families)
{
  std::optional<CatalogueEntry> item;
  {
    const PgResult rows = connection.query(entryByIdSql, {pgValue(id)});
    if (rows.rows() > 0) item = readEntry(rows, 0);
  }
  if (!item || families == 0) return {};

  const QStringList words = titleWords(toQString(item->name));
  const QStringList tags = tagList(toQString(item->genre));
  std::map<std::int64_t, CatalogueEntry> candidates;
  const auto collect = [&candidates](const PgResult &rows) {
    for (int row = 0; row < rows.rows(); ++row) {
      CatalogueEntry entry = readEntry(rows, row);
      candidates.emplace(entry.id, std::move(entry));
    }
  };
  if (item->showId != 0) collect(connection.query(sameShowSql, {pgValue(item->showId)}));
  if (!words.isEmpty() || !tags.isEmpty()) {
    const std::vector<std::string> wordPatterns = patternsOf(words);
    const std::vector<std::string> tagPatterns = patternsOf(tags);
    std::vector<std::string> all = wordPatterns;
    all.insert(all.end(), tagPatterns.begin(), tagPatterns.end());
    collect(connection.query(relatedCandidatesSql,
                             {pgTextArray(wordPatterns), pgTextArray(tagPatterns), pgTextArray(all)}));
  }

  return rankRelated(*item, std::move(candidates), families, maxRelatedResults);
}

ScanStep pgNextStation(PgConnection &connection, const SearchExpression &style, std::uint32_t families,
                       std::int64_t maxBitrate, std::int64_t after)
{
  ScanStep step;
  if (style.empty()) {
    for (const std::int64_t from : {after, std::int64_t{0}}) {
      const PgResult rows =
          connection.query(nextStationSql, {pgValue(from), pgValue(families), pgValue(maxBitrate)});
      if (rows.rows() > 0) {
        step.styleHasStations = true;
        if (from == after) step.station = readEntry(rows, 0);
        break;
      }
    }
    return step;
  }
  const std::vector<Match> matches =
      findMatches(connection, style, SearchScope::GenreOnly, scanStyleFilter(families, maxBitrate));
  step.styleHasStations = !matches.empty();
  const std::optional<std::int64_t> next = nextNumberAfter(matches, after);
  if (next) {
    const PgResult rows = connection.query(entryByIdSql, {pgValue(*next)});
    if (rows.rows() > 0) step.station = readEntry(rows, 0);
  }
  return step;
}

}  // namespace tessivar::directory
