#include "server/sqlite/fts_candidates.h"

#include "server/sqlite/fts_query.h"
#include "server/sqlite/sqlite_db.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace tessivar::directory {

bool FtsFinder::forEachCandidate(const SearchExpression &expression, SearchScope scope, const char *field,
                                 const Visit &visit)
{
  const TrigramCount count = [&](std::string_view trigram) { return snapshot_.trigramCount(trigram); };
  SearchExpression indexed;
  std::vector<std::string_view> scanned;  // the longest word of each alternative the index cannot find
  for (const Alternative &alternative : expression.alternatives) {
    if (indexable(alternative)) {
      indexed.alternatives.push_back(alternative);
      continue;
    }
    scanned.push_back(longestWord(alternative));
  }
  if (scanned.empty()) {
    const std::string match = fullTextQuery(expression, scope, count);
    const bool byField =
        field && std::all_of(match.begin(), match.end(), [](char c) { return c > 0 && c < 0x7F; });
    forEachMatchOf(byField ? std::string(field) + " : " + match : match, visit);
    return byField;
  }
  // The rows that hold each short word, found in the snapshot's text, and the index's candidates of the
  // other alternatives: each row once.
  if (indexed.empty()) {
    snapshot_.forEachRowHoldingAny(scanned, visit);
    return false;
  }
  SeenRows seen(snapshot_);
  const auto once = [&](const MatchRow &row) {
    if (!seen.see(row)) visit(row);
  };
  if (!snapshot_.forEachRowHoldingAny(scanned, once))
    forEachMatchOf(fullTextQuery(indexed, scope, count), once);
  return false;
}

void FtsFinder::forEachMatchOf(const std::string &match, const Visit &visit)
{
  // The candidates' numbers only: what scoring reads of them is in the snapshot.
  auto statement = db_.query("SELECT rowid FROM entry_text WHERE entry_text MATCH ?1");
  statement->bind(1, match);
  // A batch of candidates at a time: each step below asks memory for what the next one reads, for the
  // whole batch, so the waits overlap.
  constexpr std::size_t batch = 64;
  std::array<std::int64_t, batch> ids;
  std::array<const MatchRow *, batch> rows;
  for (bool more = true; more;) {
    std::size_t read = 0;
    while (read < batch && (more = statement->step())) ids[read++] = statement->integer(0);
    for (std::size_t i = 0; i < read; ++i) snapshot_.prefetchSlot(ids[i]);
    std::size_t found = 0;
    for (std::size_t i = 0; i < read; ++i) {
      if (const MatchRow *row = snapshot_.find(ids[i])) {
        __builtin_prefetch(row);
        __builtin_prefetch(reinterpret_cast<const char *>(row + 1) - 1);  // a row may straddle two lines
        rows[found++] = row;
      }
    }
    for (std::size_t i = 0; i < found; ++i) snapshot_.prefetchText(*rows[i]);
    for (std::size_t i = 0; i < found; ++i) visit(*rows[i]);
  }
}

}  // namespace tessivar::directory
