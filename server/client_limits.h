#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tessivar::directory {

// The name a client is counted under: an IPv4 address as it is (also when written as an IPv4-mapped
// IPv6 address), the /64 network of an IPv6 address (one subscriber holds a whole /64), any other
// text as it is.
std::string clientKey(std::string_view address);

// Sign-ups per client: a bucket of perMinute sign-ups that refills at perMinute a minute. Safe from
// any thread.
class SignUpLimiter
{
 public:
  using Clock = std::chrono::steady_clock;

  explicit SignUpLimiter(int perMinute) : perMinute_(perMinute) {}

  // Takes one sign-up from the client's bucket; false (and nothing taken) when it is empty.
  bool take(const std::string &key, Clock::time_point now);
  // Gives back what take() took, for a sign-up that was not stored.
  void giveBack(const std::string &key, Clock::time_point now);
  // Seconds until the client's next sign-up is taken (at least 1).
  int secondsToWait(const std::string &key, Clock::time_point now);

 private:
  struct Bucket
  {
    double left = 0;
    Clock::time_point updated;
  };
  Bucket &refilled(const std::string &key, Clock::time_point now);

  int perMinute_;
  std::mutex mutex_;
  std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace tessivar::directory
