#pragma once

#include "server/catalogue_backend.h"
#include "server/match_snapshot.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tessivar::directory {

// Finds the candidates of a search among a snapshot's rows: every entry that matches, and maybe others.
class CandidateFinder
{
 public:
  using Visit = std::function<void(const MatchRow &)>;
  virtual ~CandidateFinder() = default;
  // Calls visit for every candidate of the expression (every row when it cannot narrow them). With a
  // field (a column of wordFieldBounds()) and a one-word expression: only for those that hold the word in
  // that field, when the finder can tell them apart; returns whether it did.
  virtual bool forEachCandidate(const SearchExpression &expression, SearchScope scope, const char *field,
                                const Visit &visit) = 0;
};

// The candidates found on the snapshot's own trigram lists (see trigram_rows.h), for the longest word of
// each alternative: no round trip to a database server. It cannot tell the fields apart.
class ScanningFinder final : public CandidateFinder
{
 public:
  explicit ScanningFinder(const MatchSnapshot &snapshot) : snapshot_(snapshot) {}
  bool forEachCandidate(const SearchExpression &expression, SearchScope scope, const char *field,
                        const Visit &visit) override;

 private:
  const MatchSnapshot &snapshot_;
};

struct Match
{
  int score = 0;
  std::int64_t nameOrder = 0;
  std::int64_t id = 0;
};

// Every match, in no order.
std::vector<Match> findMatches(const MatchSnapshot &snapshot, CandidateFinder &finder,
                               const SearchExpression &expression, SearchScope scope,
                               const EntryFilter &filter);
// The best `limit` matches, best first: by score, then in name order.
std::vector<Match> findBest(const MatchSnapshot &snapshot, CandidateFinder &finder,
                            const SearchExpression &expression, SearchScope scope, const EntryFilter &filter,
                            std::size_t limit);

bool searchable(const SearchExpression &expression, const EntryFilter &filter);

// Roughly how many candidates the index gives for the expression: what a search costs at most.
std::size_t estimatedCandidates(const MatchSnapshot &snapshot, const SearchExpression &expression);
// Roughly how many searches of a word in an entry's text the expression costs at most: its candidates
// times its words (every alternative is scored for every candidate).
std::size_t estimatedWork(const MatchSnapshot &snapshot, const SearchExpression &expression);

}  // namespace tessivar::directory
