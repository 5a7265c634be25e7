#include "server/client_limits.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tessivar::directory {

namespace {

// Clients remembered by the sign-up limit; past this the full buckets are forgotten, and if that is not
// enough, all of them (the limit then starts afresh rather than grow without bound).
constexpr std::size_t maxTrackedClients = 65536;

}  // namespace

std::string clientKey(std::string_view address)
{
  const std::string text(address);
  in_addr v4{};
  if (inet_pton(AF_INET, text.c_str(), &v4) == 1) return text;
  in6_addr v6{};
  if (inet_pton(AF_INET6, text.c_str(), &v6) != 1) return text;
  char out[INET6_ADDRSTRLEN] = {};
  if (IN6_IS_ADDR_V4MAPPED(&v6)) {
    std::memcpy(&v4, &v6.s6_addr[12], 4);
    inet_ntop(AF_INET, &v4, out, sizeof out);
    return out;
  }
  std::fill(std::begin(v6.s6_addr) + 8, std::end(v6.s6_addr), 0);
  inet_ntop(AF_INET6, &v6, out, sizeof out);
  return std::string(out) + "/64";
}

SignUpLimiter::Bucket &SignUpLimiter::refilled(const std::string &key, Clock::time_point now)
{
  const double full = perMinute_;
  auto found = buckets_.find(key);
  if (found == buckets_.end()) {
    if (buckets_.size() >= maxTrackedClients) {
      for (auto it = buckets_.begin(); it != buckets_.end();) {
        const double seconds = std::chrono::duration<double>(now - it->second.updated).count();
        it = it->second.left + seconds * full / 60 >= full ? buckets_.erase(it) : std::next(it);
      }
      if (buckets_.size() >= maxTrackedClients) buckets_.clear();
    }
    return buckets_[key] = Bucket{full, now};
  }
  Bucket &bucket = found->second;
  const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
  bucket.left = std::min(full, bucket.left + std::max(0.0, seconds) * full / 60);
  bucket.updated = now;
  return bucket;
}

bool SignUpLimiter::take(const std::string &key, Clock::time_point now)
{
  if (perMinute_ <= 0) return true;
  const std::lock_guard lock(mutex_);
  Bucket &bucket = refilled(key, now);
  if (bucket.left < 1) return false;
  bucket.left -= 1;
  return true;
}

void SignUpLimiter::giveBack(const std::string &key, Clock::time_point now)
{
  if (perMinute_ <= 0) return;
  const std::lock_guard lock(mutex_);
  Bucket &bucket = refilled(key, now);
  bucket.left = std::min<double>(perMinute_, bucket.left + 1);
}

int SignUpLimiter::secondsToWait(const std::string &key, Clock::time_point now)
{
  if (perMinute_ <= 0) return 1;
  const std::lock_guard lock(mutex_);
  const Bucket &bucket = refilled(key, now);
  return std::max(1, static_cast<int>(std::ceil((1 - bucket.left) * 60 / perMinute_)));
}

}  // namespace tessivar::directory
