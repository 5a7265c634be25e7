#include "server/sqlite/imported_keys.h"

namespace tessivar::directory {

namespace {

std::uint64_t hashOf(std::string_view key)
{
  return std::hash<std::string_view>{}(key);
}

}  // namespace

std::int64_t ImportedKeys::find(std::string_view key, const StoredKey &storedKey) const
{
  const std::uint64_t hash = hashOf(key);
  const auto found = first_.find(hash);
  if (found == first_.end()) return 0;
  if (storedKey(found->second, key)) return found->second;
  const auto [begin, end] = more_.equal_range(hash);
  for (auto other = begin; other != end; ++other) {
    if (storedKey(other->second, key)) return other->second;
  }
  return 0;
}

void ImportedKeys::add(std::string_view key, std::int64_t id)
{
  const std::uint64_t hash = hashOf(key);
  if (!first_.emplace(hash, id).second) more_.emplace(hash, id);
}

}  // namespace tessivar::directory
