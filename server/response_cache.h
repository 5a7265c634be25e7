#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace tessivar::directory {

struct Reply;

// Recently rendered answers, least recently used dropped first, up to a total size. The callers put
// the catalogue's generation into each key, so an import makes every older answer unreachable.
class ResponseCache
{
 public:
  explicit ResponseCache(std::size_t maxBytes);
  ~ResponseCache();
  ResponseCache(const ResponseCache &) = delete;
  ResponseCache &operator=(const ResponseCache &) = delete;

  bool enabled() const { return maxBytes_ > 0; }
  std::shared_ptr<const Reply> find(const std::string &key);
  void store(const std::string &key, const Reply &reply);

 private:
  struct Item
  {
    std::string key;
    std::shared_ptr<const Reply> reply;
    std::size_t bytes = 0;
  };

  const std::size_t maxBytes_;
  std::mutex mutex_;
  std::size_t bytes_ = 0;
  std::list<Item> items_;  // most recently used first
  std::unordered_map<std::string, std::list<Item>::iterator> index_;
};

}  // namespace tessivar::directory
