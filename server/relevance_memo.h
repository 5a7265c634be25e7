#pragma once

#include "server/search_expression.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessivar::directory {

// Which pairs of neighbouring bytes the text holds, each pair hashed to one of 32 bits: a text that lacks
// one of a word's bits does not hold the word.
std::uint32_t bytePairBits(std::string_view text);

// relevance() of one expression for the many candidates of a search. What a word scores outside the
// name depends on the format, location and genre alone (on the genre alone in a genre search), which
// entries share far more often than names ("mp3 | United States | pop"): that part is worked out once
// for each distinct set of them, and only the name is searched for every entry. That pays for a search
// with thousands of candidates; one with fewer is scored entry by entry.
class RelevanceMemo
{
 public:
  RelevanceMemo(const SearchExpression &expression, SearchScope scope, std::size_t candidates);

  // shared: a number the entry has in common with exactly those entries whose fields outside the name
  // are the same as its own (its genre, in a genre search): see MatchRow. namePairs: bytePairBits() of
  // its name, or more bits; the name is not read for a word it cannot hold, which spares most candidates
  // of a search the wait for their text.
  int operator()(const EntryText &entry, std::uint32_t shared, std::uint32_t namePairs);
  // Whether the parts shared by entries are worked out once.
  bool sharing() const { return sharing_; }

 private:
  // Each word's otherFieldsScore() for the entries of the number, in the order of the expression's
  // words, or `unknown` for those not worked out yet.
  std::uint8_t *otherScores(std::uint32_t shared);
  void grow();

  struct Slot
  {
    std::uint32_t key = 0;    // the shared number + 1; 0 marks a free slot
    std::uint32_t place = 0;  // of its scores, in words_
  };

  const SearchExpression &expression_;
  SearchScope scope_;
  bool sharing_;
  std::size_t words_ = 0;
  std::size_t kept_ = 0;  // at most this many numbers
  std::size_t keptNow_ = 0;
  std::vector<Slot> slots_;
  std::vector<std::uint8_t> scores_;      // words_ for each number kept
  std::vector<std::uint8_t> unkept_;      // for an entry met once the table is full
  std::vector<std::uint32_t> wordPairs_;  // bytePairBits() of each word, in the order of the expression's
};

}  // namespace tessivar::directory
