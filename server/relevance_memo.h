#pragma once

#include "server/search_expression.h"

#include <cstdint>
#include <vector>

namespace tessivar::directory {

// relevance() of one expression for the many candidates of a search. What a word scores outside the
// name depends on the format, location and genre alone (on the genre alone in a genre search), which
// entries share far more often than names ("mp3 | United States | pop"): that part is worked out once
// for each distinct set of them, and only the name is searched for every entry. That pays for a search
// with thousands of candidates; one with fewer is scored entry by entry. Keeps views of the texts it is
// given, which must outlive it.
class RelevanceMemo
{
 public:
  RelevanceMemo(const SearchExpression &expression, SearchScope scope, std::size_t candidates);

  int operator()(const EntryText &entry);
  // Whether the parts shared by entries are worked out once.
  bool sharing() const { return sharing_; }

 private:
  // Each word's otherFieldsScore() for the entry, in the order of the expression's words, or `unknown`
  // for those not worked out yet.
  std::uint8_t *otherScores(const EntryText &entry);
  std::uint64_t keyHash(const EntryText &entry) const;
  bool sameKey(const EntryText &a, const EntryText &b) const;
  void grow();

  struct Slot
  {
    std::uint64_t hash = 0;
    std::uint32_t key = 0;  // place in keys_ + 1; 0 marks a free slot
  };

  const SearchExpression &expression_;
  SearchScope scope_;
  bool sharing_;
  std::size_t words_ = 0;
  std::size_t kept_ = 0;  // at most this many keys
  std::vector<Slot> slots_;
  std::vector<EntryText> keys_;
  std::vector<std::uint8_t> scores_;  // words_ for each key
  std::vector<std::uint8_t> unkept_;  // for an entry met once the table is full
};

}  // namespace tessivar::directory
