#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>

namespace tessivar::directory {

// The stream keys an import into an empty catalogue has stored, while the catalogue has no index by key:
// a 64-bit hash of each key to its entry's id (16 bytes and a node a key, not the key itself). A hash
// found is only a candidate: find() asks storedKey(id) for the key stored under it.
class ImportedKeys
{
 public:
  using StoredKey = std::function<bool(std::int64_t id, std::string_view key)>;

  // The id stored under key, 0 when none.
  std::int64_t find(std::string_view key, const StoredKey &storedKey) const;
  // After find() returned 0 for key.
  void add(std::string_view key, std::int64_t id);

 private:
  std::unordered_map<std::uint64_t, std::int64_t> first_;
  // Other keys with a hash already in first_ (about none in a billion rows).
  std::unordered_multimap<std::uint64_t, std::int64_t> more_;
};

}  // namespace tessivar::directory
