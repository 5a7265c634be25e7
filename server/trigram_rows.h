#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tessivar::directory {

class MatchSnapshot;

// For each trigram of the snapshot's folded fields (by characters, within a field), the rows that hold
// it, in row order: an index in memory for a catalogue without one of its own. Trigrams share lists by
// hash, so a list may hold a few rows more; about 200 bytes an entry.
class TrigramRows
{
 public:
  explicit TrigramRows(const MatchSnapshot &snapshot);
  // Sets rows to the places in the snapshot's rows() of the shortest list among the trigrams of the folded
  // word; false when the word has fewer than three characters.
  bool shortestList(std::string_view folded, std::span<const std::uint32_t> &rows) const;

 private:
  std::size_t bucketOf(std::string_view trigram) const;

  std::vector<std::uint32_t> starts_;  // by bucket, where its rows begin in rows_; one more at the end
  std::vector<std::uint32_t> rows_;
};

}  // namespace tessivar::directory
