#include "server/trigram_index.h"

#include <algorithm>

namespace tessivar::directory {

namespace {

constexpr std::uint32_t notAscii = 0x80; // a character that does not fold to ASCII; never part of a key

// Calls take(byte) for every character of text: its case folding when that is ASCII, else notAscii.
template <typename Take>
void foldedBytes(QStringView text, Take take)
{
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
      ++i;
    }
    const char32_t folded = c < 0x80 ? (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) : QChar::toCaseFolded(c);
    take(folded < 0x80 ? static_cast<std::uint32_t>(folded) : notAscii);
  }
}

// Calls key(k) for every run of three ASCII-folded characters.
template <typename Key>
void forEachKey(QStringView text, Key key)
{
  std::uint32_t window = 0;
  int valid = 0; // how many of the last characters folded to ASCII
  foldedBytes(text, [&](std::uint32_t byte) {
    if (byte == notAscii) {
      valid = 0;
      return;
    }
    window = ((window << 8) | byte) & 0xFFFFFF;
    if (++valid >= 3)
      key(window);
  });
}

// The items of sorted in increasing order that also appear in other (increasing).
void intersect(std::vector<std::uint32_t> &sorted, const std::vector<std::uint32_t> &other)
{
  auto from = other.begin();
  auto out = sorted.begin();
  for (const std::uint32_t item : sorted) {
    // Galloping: widen the step until it passes the item, then search that stretch.
    std::ptrdiff_t step = 1;
    auto to = from;
    while (other.end() - to > step && *(to + step) < item) {
      to += step;
      step *= 2;
    }
    const auto limit = other.end() - to > step ? to + step + 1 : other.end();
    from = std::lower_bound(to, limit, item);
    if (from == other.end())
      break;
    if (*from == item)
      *out++ = item;
  }
  sorted.erase(out, sorted.end());
}

}  // namespace

void TrigramIndex::add(std::uint32_t item, QStringView text)
{
  forEachKey(text, [&](std::uint32_t key) {
    auto &items = postings_[key];
    if (items.empty() || items.back() != item)
      items.push_back(item);
  });
}

std::optional<std::vector<std::uint32_t>> TrigramIndex::candidates(const Alternative &words) const
{
  std::vector<const std::vector<std::uint32_t> *> lists;
  static const std::vector<std::uint32_t> none;
  for (const WordPattern &word : words) {
    forEachKey(word.core, [&](std::uint32_t key) {
      const auto found = postings_.find(key);
      lists.push_back(found == postings_.end() ? &none : &found->second);
    });
  }
  if (lists.empty())
    return std::nullopt;
  std::sort(lists.begin(), lists.end(), [](const auto *a, const auto *b) { return a->size() < b->size(); });
  lists.erase(std::unique(lists.begin(), lists.end()), lists.end());
  std::vector<std::uint32_t> items = *lists.front();
  for (std::size_t i = 1; i < lists.size() && !items.empty(); ++i)
    intersect(items, *lists[i]);
  return items;
}

}  // namespace tessivar::directory
