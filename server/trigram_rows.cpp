#include "server/trigram_rows.h"

#include "server/match_snapshot.h"

#include <bit>
#include <functional>

namespace tessivar::directory {

std::size_t TrigramRows::bucketOf(std::string_view trigram) const
{
  return std::hash<std::string_view>{}(trigram) & (starts_.size() - 2);
}

TrigramRows::TrigramRows(const MatchSnapshot &snapshot)
{
  const std::vector<MatchRow> &rows = snapshot.rows();
  starts_.assign(std::bit_ceil(std::max<std::size_t>(rows.size(), 1024)) + 1, 0);
  std::vector<std::uint32_t> lastRow(starts_.size(), UINT32_MAX);
  std::vector<std::size_t> characters;
  // Twice over the rows: first how long each list is, then the lists. A row is in a list once.
  const auto eachRowBucket = [&](const auto &take) {
    for (std::uint32_t i = 0; i < rows.size(); ++i) {
      const EntryText text = snapshot.text(rows[i]);
      for (const std::string_view field : {text.name, text.format, text.location, text.genre}) {
        forEachTrigram(field, characters, [&](std::string_view trigram) {
          const std::size_t bucket = bucketOf(trigram);
          if (lastRow[bucket] == i) return;
          lastRow[bucket] = i;
          take(bucket, i);
        });
      }
    }
  };
  eachRowBucket([&](std::size_t bucket, std::uint32_t) { ++starts_[bucket + 1]; });
  for (std::size_t bucket = 1; bucket < starts_.size(); ++bucket) starts_[bucket] += starts_[bucket - 1];
  rows_.resize(starts_.back());
  std::vector<std::uint32_t> filled(starts_.begin(), starts_.end() - 1);
  lastRow.assign(lastRow.size(), UINT32_MAX);
  eachRowBucket([&](std::size_t bucket, std::uint32_t row) { rows_[filled[bucket]++] = row; });
}

bool TrigramRows::shortestList(std::string_view folded, std::span<const std::uint32_t> &rows) const
{
  bool found = false;
  std::vector<std::size_t> characters;
  forEachTrigram(folded, characters, [&](std::string_view trigram) {
    const std::size_t bucket = bucketOf(trigram);
    const std::span<const std::uint32_t> list(rows_.data() + starts_[bucket],
                                              starts_[bucket + 1] - starts_[bucket]);
    if (!found || list.size() < rows.size()) rows = list;
    found = true;
  });
  return found;
}

}  // namespace tessivar::directory
