#include "server/relevance_memo.h"

#include <algorithm>

namespace tessivar::directory {

namespace {

// At most this many distinct sets of fields are kept (in a table of at least twice as many slots), with
// at most this many bytes of scores (a byte for each word of each); entries met after that are scored in
// full. About 1.5 MB in all at most.
constexpr std::size_t maxKept = 32768;
constexpr std::size_t maxScoreBytes = 1 << 20;
constexpr std::size_t firstSlots = 64;
// Below this many candidates, looking up what entries share costs more than it saves.
constexpr std::size_t fewCandidates = 4096;
// A word's score outside the name not worked out yet (scores are 0 to 16).
constexpr std::uint8_t unknown = 0xFF;

std::size_t slotOf(std::uint32_t key, std::size_t mask)
{
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

}  // namespace

std::uint32_t bytePairBits(std::string_view text)
{
  std::uint32_t bits = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const std::uint32_t pair =
        std::uint32_t{static_cast<unsigned char>(text[i - 1])} << 8 | static_cast<unsigned char>(text[i]);
    bits |= std::uint32_t{1} << ((pair * 0x9E3779B1u) >> 27);
  }
  return bits;
}

RelevanceMemo::RelevanceMemo(const SearchExpression &expression, SearchScope scope, std::size_t candidates)
    : expression_(expression), scope_(scope), sharing_(candidates >= fewCandidates)
{
  for (const Alternative &alternative : expression.alternatives) {
    words_ += alternative.size();
    for (const WordPattern &word : alternative) wordPairs_.push_back(bytePairBits(word.folded));
  }
  kept_ = std::min(maxKept, maxScoreBytes / std::max<std::size_t>(words_, 1));
  if (sharing_) slots_.resize(firstSlots);
}

int RelevanceMemo::operator()(const EntryText &entry, std::uint32_t shared, std::uint32_t namePairs)
{
  if (!sharing_) return relevance(expression_, scope_, entry);
  std::uint8_t *other = otherScores(shared);
  return bestAlternativeTotal(expression_, [&](const WordPattern &word, std::size_t place) {
    // Worked out when first needed: an alternative is given up at its first word that does not match.
    if (other[place] == unknown)
      other[place] = static_cast<std::uint8_t>(otherFieldsScore(word, scope_, entry));
    const bool mayHold = (namePairs & wordPairs_[place]) == wordPairs_[place];
    return std::max<int>(other[place], mayHold ? nameScore(word, scope_, entry.name) : 0);
  });
}

std::uint8_t *RelevanceMemo::otherScores(std::uint32_t shared)
{
  const std::uint32_t key = shared + 1;
  if (key != 0) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = slotOf(key, mask);; at = (at + 1) & mask) {
      Slot &slot = slots_[at];
      if (slot.key == key) return scores_.data() + slot.place;
      if (slot.key != 0) continue;
      if (keptNow_ == kept_) break;
      slot = {key, static_cast<std::uint32_t>(scores_.size())};
      scores_.resize(scores_.size() + words_, unknown);
      std::uint8_t *scores = scores_.data() + slot.place;
      if (++keptNow_ * 2 > slots_.size()) grow();
      return scores;
    }
  }
  unkept_.assign(words_, unknown);
  return unkept_.data();
}

void RelevanceMemo::grow()
{
  std::vector<Slot> larger(slots_.size() * 2);
  const std::size_t mask = larger.size() - 1;
  for (const Slot &slot : slots_) {
    if (slot.key == 0) continue;
    std::size_t at = slotOf(slot.key, mask);
    while (larger[at].key != 0) at = (at + 1) & mask;
    larger[at] = slot;
  }
  slots_ = std::move(larger);
}

}  // namespace tessivar::directory
