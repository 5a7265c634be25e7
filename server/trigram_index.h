#pragma once

#include "server/search_expression.h"

#include <QStringView>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tessivar::directory {

// Which items hold which three-character sequences, case folded. It narrows a search to the items
// that can match before each is scored: an item whose text matches a word holds every trigram
// of the word. Only characters that fold to ASCII make trigrams; words without one are not narrowed.
class TrigramIndex
{
public:
  // Adds the trigrams of one text of an item; items are added in increasing order.
  void add(std::uint32_t item, QStringView text);

  // The items holding every trigram of every word of the alternative, in increasing order: a
  // superset of the items whose texts match all its words. Nothing when no word has a trigram
  // (then every item is a candidate).
  std::optional<std::vector<std::uint32_t>> candidates(const Alternative &words) const;

private:
  std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> postings_;
};

}  // namespace tessivar::directory
