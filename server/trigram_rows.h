#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tessivar::directory {

class MatchSnapshot;

// Calls visit with each piece of the text `characters` characters (UTF-8 sequences) long; starts is room
// for the work.
template <typename Visit>
void forEachPiece(std::string_view text, std::size_t characters, std::vector<std::size_t> &starts,
                  const Visit &visit)
{
  starts.clear();
  for (std::size_t at = 0; at < text.size(); ++at) {
    if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) starts.push_back(at);
  }
  starts.push_back(text.size());
  for (std::size_t c = 0; c + characters < starts.size(); ++c)
    visit(text.substr(starts[c], starts[c + characters] - starts[c]));
}

// Each trigram of the text, as the indexes hold them.
template <typename Visit>
void forEachTrigram(std::string_view text, std::vector<std::size_t> &starts, const Visit &visit)
{
  forEachPiece(text, 3, starts, visit);
}

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
