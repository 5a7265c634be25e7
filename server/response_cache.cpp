#include "server/response_cache.h"

#include "server/directory_service.h"

namespace tessivar::directory {

ResponseCache::ResponseCache(std::size_t maxBytes) : maxBytes_(maxBytes) {}

ResponseCache::~ResponseCache() = default;

std::shared_ptr<const Reply> ResponseCache::find(const std::string &key)
{
  if (maxBytes_ == 0) return nullptr;
  const std::lock_guard lock(mutex_);
  const auto found = index_.find(key);
  if (found == index_.end()) return nullptr;
  items_.splice(items_.begin(), items_, found->second);
  return found->second->reply;
}

void ResponseCache::store(const std::string &key, const Reply &reply)
{
  const std::size_t bytes = key.size() + reply.body.size() + reply.contentType.size() + 64;
  if (bytes > maxBytes_ / 8) return;  // one answer may take an eighth of the cache at most
  auto shared = std::make_shared<const Reply>(reply);
  const std::lock_guard lock(mutex_);
  if (index_.count(key) != 0) return;
  items_.push_front({key, std::move(shared), bytes});
  index_.emplace(key, items_.begin());
  bytes_ += bytes;
  while (bytes_ > maxBytes_ && !items_.empty()) {
    bytes_ -= items_.back().bytes;
    index_.erase(items_.back().key);
    items_.pop_back();
  }
}

}  // namespace tessivar::directory
