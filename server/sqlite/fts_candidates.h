#pragma once

#include "server/keyword_search.h"

namespace tessivar::directory {

class Database;

// The candidates found on the full-text index (FTS5, trigrams) of the catalogue the connection reads.
// Use it inside the read transaction the snapshot was taken in, so both are of the same catalogue.
class FtsFinder final : public CandidateFinder
{
 public:
  FtsFinder(Database &db, const MatchSnapshot &snapshot) : db_(db), snapshot_(snapshot) {}
  // With a field, the index's list of that column alone, unless the word has letters beyond ASCII (the
  // index and this program fold those differently).
  bool forEachCandidate(const SearchExpression &expression, SearchScope scope, const char *field,
                        const Visit &visit) override;

 private:
  void forEachMatchOf(const std::string &match, const Visit &visit);

  Database &db_;
  const MatchSnapshot &snapshot_;
};

}  // namespace tessivar::directory
