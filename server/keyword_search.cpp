#include "server/keyword_search.h"

#include "server/format_family.h"
#include "server/relevance_memo.h"
#include "server/trigram_rows.h"

#include <algorithm>
#include <limits>

namespace tessivar::directory {

namespace {

// Whether the entry passes the request's filter.
bool passes(const EntryFilter &filter, const MatchRow &row)
{
  if (row.kind < 0 || row.kind > 31 || row.family < 0 || row.family > 31) return false;
  if (((filter.kinds >> row.kind) & 1u) == 0 || ((filter.families >> row.family) & 1u) == 0) return false;
  if (filter.maxBitrate != 0 && row.bitrate > filter.maxBitrate) return false;
  const bool clip = row.kind == static_cast<int>(EntryKind::Clip);
  if (filter.minBitrate != 0 && clip && row.bitrate < filter.minBitrate) return false;
  return filter.minSeconds == 0 || !clip || row.duration >= filter.minSeconds;
}

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

// A search of one word over every field: its highest score is the word's best match in the name, which
// only a name that starts with it has.
const WordPattern *nameStartWord(const SearchExpression &expression, SearchScope scope)
{
  if (scope != SearchScope::AllFields || expression.alternatives.size() != 1) return nullptr;
  const Alternative &words = expression.alternatives.front();
  return words.size() == 1 && !words.front().folded.empty() ? &words.front() : nullptr;
}

// Whether every word of some alternative is somewhere in the text; when none is, the entry does not
// match, and one search of its text for each word says so sooner than scoring does.
bool mayMatch(const SearchExpression &expression, std::string_view text)
{
  return std::any_of(expression.alternatives.begin(), expression.alternatives.end(),
                     [&](const Alternative &words) {
                       return std::all_of(words.begin(), words.end(), [&](const WordPattern &word) {
                         return text.find(word.folded) != std::string_view::npos;
                       });
                     });
}

// Whether some alternative has only words too short for trigrams, which leaves every entry a candidate.
bool hasUnindexedAlternative(const SearchExpression &expression)
{
  std::vector<std::size_t> starts;
  return std::any_of(expression.alternatives.begin(), expression.alternatives.end(),
                     [&](const Alternative &words) {
                       return std::all_of(words.begin(), words.end(), [&](const WordPattern &word) {
                         bool indexed = false;
                         forEachTrigram(word.folded, starts, [&](std::string_view) { indexed = true; });
                         return !indexed;
                       });
                     });
}

// Roughly how many entries hold the word: its rarest trigram's count on the snapshot's sample; every
// entry for a word too short for trigrams.
std::size_t estimatedHolders(const MatchSnapshot &snapshot, std::string_view folded)
{
  std::size_t fewest = snapshot.rows().size();
  std::vector<std::size_t> starts;
  forEachTrigram(folded, starts, [&](std::string_view trigram) {
    fewest = std::min<std::size_t>(fewest, snapshot.trigramCount(trigram));
  });
  return fewest;
}

// Rows met in name order are scattered over memory: asks for the row a few steps ahead of `at` in the
// list, and for the text of a nearer one, whose row has arrived by then.
template <typename Place, typename RowOf>
void prefetchAhead(const MatchSnapshot &snapshot, std::span<const Place> list, std::size_t at,
                   const RowOf &rowOf)
{
  constexpr std::size_t ahead = 16;
  const auto &rows = snapshot.rows();
  if (at + ahead < list.size()) __builtin_prefetch(&rows[rowOf(list[at + ahead])]);
  if (at + ahead / 2 < list.size()) snapshot.prefetchText(rows[rowOf(list[at + ahead / 2])]);
}

// The rows in name order, walked from where the last walk stopped. When a search has many candidates,
// the best of them are mostly near the start of the name order: a walk that finds the page full of
// matches no later entry can beat settles the search after a few thousand rows, where the index would
// give every candidate to score. A walk costs about what scoring as many candidates does, so all walks
// of one search together stop at a quarter of the candidates the index would give, and there is none
// unless the page could fill (were the candidates spread evenly) in a small part of that.
class NameOrderWalk
{
 public:
  NameOrderWalk(const MatchSnapshot &snapshot, std::size_t candidates, std::size_t limit)
      : snapshot_(snapshot), order_(snapshot.inNameOrder())
  {
    const std::size_t budget = candidates / 4;
    if (candidates > 0 && !order_.empty() && limit * order_.size() / candidates < budget / 2)
      budget_ = budget;
  }

  bool active() const { return budget_ > 0; }

  // Walks on while a row not walked yet could enter the page, given that no row unseen so far scores
  // above `bound`, with half of what is left of the budget. True when none can: the page is settled.
  template <typename Consider>
  bool settles(const BestMatches &best, int bound, SeenRows &seen, const Consider &consider)
  {
    const auto &rows = snapshot_.rows();
    if (budget_ == 0) return false;
    const std::size_t stretch = budget_ / 2;
    budget_ -= stretch;
    const std::size_t end = std::min(order_.size(), next_ + stretch);
    for (; next_ < end; ++next_) {
      prefetchAhead(snapshot_, order_, next_, [](std::uint32_t place) { return place; });
      const MatchRow &row = rows[order_[next_]];
      if (!best.mayEnter(bound, row.nameOrder, row.id)) return true;
      if (!seen.see(row)) consider(row);
    }
    return !order_.empty() && next_ == order_.size();
  }

 private:
  const MatchSnapshot &snapshot_;
  std::span<const std::uint32_t> order_;
  std::size_t budget_ = 0;
  std::size_t next_ = 0;
};

// Whether an entry could score the group's highest at all. Over every field, only a word at the start of
// the name scores its highest, so an alternative of several words can reach it only when each of them is
// a start of its longest word ("radio radio"); a genre search gives each tag a start of its own. A walk
// in name order settles a page only at a score some entry reaches.
bool reachable(const SearchExpression &group, SearchScope scope)
{
  if (scope == SearchScope::GenreOnly) return true;
  return std::any_of(group.alternatives.begin(), group.alternatives.end(), [](const Alternative &words) {
    const std::string_view longest = longestWord(words);
    return std::all_of(words.begin(), words.end(),
                       [&](const WordPattern &word) { return longest.starts_with(word.folded); });
  });
}

// A genre search where the catalogue has fewer genres than the search has candidates: each genre is
// scored once, and the best of its rows are taken in name order, best genres first, until no row of a
// genre left could enter the page. A few hundred rows are read, where the index would give every one.
std::vector<Match> bestByGenre(const MatchSnapshot &snapshot, const SearchExpression &expression,
                               const EntryFilter &filter, std::size_t limit)
{
  std::vector<std::pair<int, std::uint32_t>> scored;
  for (std::uint32_t genre = 0; genre < snapshot.genres(); ++genre) {
    const std::span<const std::uint32_t> places = snapshot.rowsOfGenre(genre);
    if (places.empty()) continue;
    const EntryText text{{}, {}, {}, snapshot.text(snapshot.rows()[places.front()]).genre};
    if (const int score = relevance(expression, SearchScope::GenreOnly, text); score > 0)
      scored.emplace_back(score, genre);
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto &a, const auto &b) { return a.first > b.first; });
  BestMatches best(limit);
  for (const auto &[score, genre] : scored) {
    if (!best.mayEnter(score, 0, 0)) break;
    for (const std::uint32_t place : snapshot.rowsOfGenre(genre)) {
      const MatchRow &row = snapshot.rows()[place];
      if (!best.mayEnter(score, row.nameOrder, row.id)) break;
      if (passes(filter, row)) best.offer({score, row.nameOrder, row.id});
    }
  }
  return best.take();
}

// The expression's alternatives grouped by the highest score each can give, highest first: once the
// candidates of every group above have been scored, no other entry scores above the group's own.
std::vector<std::pair<int, SearchExpression>> byHighestScore(const SearchExpression &expression,
                                                             SearchScope scope)
{
  std::vector<std::pair<int, SearchExpression>> groups;
  for (const Alternative &alternative : expression.alternatives) {
    const int highest = highestRelevance(SearchExpression{{alternative}}, scope);
    auto group =
        std::find_if(groups.begin(), groups.end(), [&](const auto &g) { return g.first == highest; });
    if (group == groups.end()) group = groups.insert(groups.end(), {highest, {}});
    group->second.alternatives.push_back(alternative);
  }
  std::sort(groups.begin(), groups.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
  return groups;
}

}  // namespace

bool ScanningFinder::forEachCandidate(const SearchExpression &expression, SearchScope scope, const char *,
                                      const Visit &visit)
{
  const auto consider = [&](const MatchRow &row) {
    const std::string_view text =
        scope == SearchScope::GenreOnly ? snapshot_.text(row).genre : snapshot_.allText(row);
    if (mayMatch(expression, text)) visit(row);
  };
  // For each alternative, the shortest of the snapshot's trigram lists of its words: an entry that
  // matches holds every one of them. An alternative of words all too short for a trigram has the rows
  // that hold its longest word instead (every row, for a word without characters of its own).
  const TrigramRows &trigrams = snapshot_.trigramRows();
  std::vector<std::span<const std::uint32_t>> lists;
  std::vector<std::string_view> scanned;
  for (const Alternative &alternative : expression.alternatives) {
    std::span<const std::uint32_t> shortest;
    bool found = false;
    for (const WordPattern &word : alternative) {
      std::span<const std::uint32_t> list;
      if (trigrams.shortestList(word.folded, list) && (!found || list.size() < shortest.size())) {
        shortest = list;
        found = true;
      }
    }
    if (found) {
      lists.push_back(shortest);
      continue;
    }
    scanned.push_back(longestWord(alternative));
  }
  SeenRows seen(snapshot_);
  const bool once = lists.size() + scanned.size() == 1;
  for (const std::span<const std::uint32_t> places : lists) {
    // Most rows of a trigram's list hold the words: scoring, which every visitor does, tells the others
    // apart without a text search of its own first.
    for (std::size_t at = 0; at < places.size(); ++at) {
      prefetchAhead(snapshot_, places, at, [](std::uint32_t place) { return place; });
      const MatchRow &row = snapshot_.rows()[places[at]];
      if (once || !seen.see(row)) visit(row);
    }
  }
  snapshot_.forEachRowHoldingAny(scanned, [&](const MatchRow &row) {
    if (!seen.see(row)) consider(row);
  });
  return false;
}

std::size_t estimatedCandidates(const MatchSnapshot &snapshot, const SearchExpression &expression)
{
  std::size_t total = 0;
  for (const Alternative &alternative : expression.alternatives) {
    std::size_t fewest = snapshot.rows().size();
    for (const WordPattern &word : alternative)
      fewest = std::min(fewest, estimatedHolders(snapshot, word.folded));
    total += fewest;
  }
  return std::min(total, snapshot.rows().size());
}

std::size_t estimatedWork(const MatchSnapshot &snapshot, const SearchExpression &expression)
{
  std::size_t words = 0;
  for (const Alternative &alternative : expression.alternatives) words += alternative.size();
  return estimatedCandidates(snapshot, expression) * words;
}

bool searchable(const SearchExpression &expression, const EntryFilter &filter)
{
  return !expression.empty() && filter.kinds != 0 && filter.families != 0;
}

std::vector<Match> findMatches(const MatchSnapshot &snapshot, CandidateFinder &finder,
                               const SearchExpression &expression, SearchScope scope,
                               const EntryFilter &filter)
{
  std::vector<Match> matches;
  if (!searchable(expression, filter)) return matches;
  RelevanceMemo relevance(expression, scope, estimatedCandidates(snapshot, expression));
  finder.forEachCandidate(expression, scope, nullptr, [&](const MatchRow &row) {
    if (!passes(filter, row)) return;
    const int score = relevance(snapshot.text(row), MatchSnapshot::shared(row, scope), row.namePairs);
    if (score > 0) matches.push_back({score, row.nameOrder, row.id});
  });
  return matches;
}

std::vector<Match> findBest(const MatchSnapshot &snapshot, CandidateFinder &finder,
                            const SearchExpression &expression, SearchScope scope, const EntryFilter &filter,
                            std::size_t limit)
{
  if (!searchable(expression, filter)) return {};
  const std::size_t candidates = estimatedCandidates(snapshot, expression);
  if (scope == SearchScope::GenreOnly && snapshot.genres() > 0 && snapshot.genres() <= candidates)
    return bestByGenre(snapshot, expression, filter, limit);
  const int highest = highestRelevance(expression, scope);
  BestMatches best(limit);
  RelevanceMemo relevance(expression, scope, candidates);
  // Most candidates of one word hold it (the index finds them by a piece of it): a search of several
  // words is where a search of each candidate's whole text for every word leaves most of them out
  // sooner than scoring does. With the parts entries share worked out once, and names passed over by
  // their byte pairs, scoring is faster, unless an alternative of words too short for the index leaves
  // every entry a candidate.
  const bool prefilter = scope == SearchScope::AllFields &&
                         (relevance.sharing() ? hasUnindexedAlternative(expression)
                                              : expression.alternatives.size() > 1 ||
                                                    expression.alternatives.front().size() > 1);
  const auto consider = [&](const MatchRow &row) {
    if (!best.mayEnter(highest, row.nameOrder, row.id)) return;
    if (!passes(filter, row)) return;
    if (prefilter && !mayMatch(expression, snapshot.allText(row))) return;
    const int score = relevance(snapshot.text(row), MatchSnapshot::shared(row, scope), row.namePairs);
    if (score > 0) best.offer({score, row.nameOrder, row.id});
  };
  // A common word ("radio") has hundreds of thousands of candidates, but the entries whose names start
  // with it are found by name at once: when enough of them have the highest score, no other entry can
  // enter the page.
  NameOrderWalk walk(snapshot, candidates, limit);
  const WordPattern *word = nameStartWord(expression, scope);
  if (!word && !walk.active()) {
    finder.forEachCandidate(expression, scope, nullptr, consider);
    return best.take();
  }
  SeenRows seen(snapshot);
  if (!word) {
    for (const auto &[bound, group] : byHighestScore(expression, scope)) {
      if (!best.mayEnter(bound, 0, 0)) break;
      if (reachable(group, scope) && walk.settles(best, bound, seen, consider)) break;
      finder.forEachCandidate(group, scope, nullptr, [&](const MatchRow &row) {
        if (!seen.see(row)) consider(row);
      });
    }
    return best.take();
  }
  const std::span<const NamePlace> places = snapshot.namesStartingWith(word->folded);
  for (std::size_t at = 0; at < places.size(); ++at) {
    const NamePlace &place = places[at];
    if (!best.mayEnter(highest, place.nameOrder, std::numeric_limits<std::int64_t>::min())) continue;
    prefetchAhead(snapshot, places, at, [](const NamePlace &ahead) { return ahead.row; });
    const MatchRow &row = snapshot.rows()[place.row];
    if (!snapshot.text(row).name.starts_with(word->folded)) continue;
    seen.see(row);
    consider(row);
  }
  if (best.fullAt(highest)) return best.take();
  // Otherwise the other entries are looked for one field at a time, heaviest first: what the word gives
  // in a field caps the score of an entry found there and in no heavier field, and once the page is full
  // of matches above that cap the rest is not read ("china": a few hundred names, then about 90,000
  // places). A finder that cannot tell the fields apart gives all the candidates at once.
  for (const FieldBound &field : wordFieldBounds()) {
    if (!best.mayEnter(field.highest, 0, 0)) break;
    if (walk.settles(best, field.highest, seen, consider)) break;
    const auto visit = [&](const MatchRow &row) {
      if (!seen.see(row) && best.mayEnter(field.highest, row.nameOrder, row.id)) consider(row);
    };
    if (!finder.forEachCandidate(expression, scope, field.column, visit)) break;
  }
  return best.take();
}

}  // namespace tessivar::directory
