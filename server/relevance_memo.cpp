#include "server/relevance_memo.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace tessivar::directory {

namespace {

// At most this many distinct sets of fields are kept (in a table of at least twice as many slots), with
// at most this many bytes of scores (a byte for each word of each); entries met after that are scored in
// full. About 4 MB in all at most.
constexpr std::size_t maxKept = 32768;
constexpr std::size_t maxScoreBytes = 1 << 20;
constexpr std::size_t firstSlots = 64;
// Slots looked at for one entry at most: a catalogue's fields cannot make a search compare each entry
// with thousands of others that share its hash.
constexpr std::size_t maxProbes = 16;
// Below this many candidates, looking up what entries share costs more than it saves.
constexpr std::size_t fewCandidates = 4096;
// A word's score outside the name not worked out yet (scores are 0 to 16).
constexpr std::uint8_t unknown = 0xFF;

std::uint64_t bytesAt(std::string_view text, std::size_t at)
{
  std::uint64_t bytes = 0;
  std::memcpy(&bytes, text.data() + at, std::min<std::size_t>(8, text.size() - at));
  return bytes;
}

// A quick hash of a field from its length and its first, middle and last 8 bytes: fields that differ
// elsewhere meet in a slot and are told apart there. A full hash of every byte was a tenth of a search.
std::uint64_t mixed(std::uint64_t seed, std::string_view text)
{
  std::uint64_t hash = seed ^ text.size();
  if (!text.empty()) {
    hash = (hash ^ bytesAt(text, 0)) * 0x9E3779B97F4A7C15ull;
    if (text.size() > 8) hash = (hash ^ bytesAt(text, text.size() / 2 - 4)) * 0xBF58476D1CE4E5B9ull;
    if (text.size() > 16) hash = (hash ^ bytesAt(text, text.size() - 8)) * 0x94D049BB133111EBull;
  }
  return hash ^ (hash >> 29);
}

}  // namespace

RelevanceMemo::RelevanceMemo(const SearchExpression &expression, SearchScope scope, std::size_t candidates)
    : expression_(expression), scope_(scope), sharing_(candidates >= fewCandidates)
{
  for (const Alternative &alternative : expression.alternatives) words_ += alternative.size();
  kept_ = std::min(maxKept, maxScoreBytes / std::max<std::size_t>(words_, 1));
  if (sharing_) slots_.resize(firstSlots);
}

int RelevanceMemo::operator()(const EntryText &entry)
{
  if (!sharing_) return relevance(expression_, scope_, entry);
  std::uint8_t *other = otherScores(entry);
  return bestAlternativeTotal(expression_, [&](const WordPattern &word, std::size_t place) {
    // Worked out when first needed: an alternative is given up at its first word that does not match.
    if (other[place] == unknown)
      other[place] = static_cast<std::uint8_t>(otherFieldsScore(word, scope_, entry));
    return std::max<int>(other[place], nameScore(word, scope_, entry.name));
  });
}

std::uint8_t *RelevanceMemo::otherScores(const EntryText &entry)
{
  const std::uint64_t hash = keyHash(entry);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask, probes = 1;; at = (at + 1) & mask, ++probes) {
    Slot &slot = slots_[at];
    if (slot.key == 0) {
      if (keys_.size() == kept_) break;
      keys_.push_back(entry);
      slot = {hash, static_cast<std::uint32_t>(keys_.size())};
      scores_.resize(keys_.size() * words_, unknown);
      const std::size_t kept = keys_.size() - 1;
      if (keys_.size() * 2 > slots_.size()) grow();
      return scores_.data() + kept * words_;
    }
    if (slot.hash == hash && sameKey(keys_[slot.key - 1], entry))
      return scores_.data() + (slot.key - 1) * words_;
    // Fields made to meet in one slot: the entry is scored on its own.
    if (probes == maxProbes) break;
  }
  unkept_.assign(words_, unknown);
  return unkept_.data();
}

std::uint64_t RelevanceMemo::keyHash(const EntryText &entry) const
{
  if (scope_ == SearchScope::GenreOnly) return mixed(0, entry.genre);
  return mixed(mixed(mixed(0, entry.format), entry.location), entry.genre);
}

bool RelevanceMemo::sameKey(const EntryText &a, const EntryText &b) const
{
  if (a.genre != b.genre) return false;
  return scope_ == SearchScope::GenreOnly || (a.location == b.location && a.format == b.format);
}

void RelevanceMemo::grow()
{
  std::vector<Slot> larger(slots_.size() * 2);
  const std::size_t mask = larger.size() - 1;
  for (const Slot &slot : slots_) {
    if (slot.key == 0) continue;
    std::size_t at = slot.hash & mask;
    while (larger[at].key != 0) at = (at + 1) & mask;
    larger[at] = slot;
  }
  slots_ = std::move(larger);
}

}  // namespace tessivar::directory
