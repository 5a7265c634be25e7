#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tessivar::directory {

// Why a probe failed; Good when it did not.
enum class ProbeReason {
  Good,
  Refused,
  TimedOut,
  HttpStatus,
  NotMedia,
  TooManyRedirects,
  PrivateAddress,
  NoSuchHost,
  NotHttp,
  OtherError,
};

// The words a reason is reported and stored with ("refused", "time-out", "HTTP status", ...).
const char *reasonText(ProbeReason reason);

struct ProbeTarget
{
  std::int64_t id = 0;
  std::string url;
};

struct ProbeResult
{
  std::int64_t id = 0;
  ProbeReason reason = ProbeReason::OtherError;
  long httpStatus = 0;
  // What the stream says of itself.
  std::string contentType;
  std::string icyName;
  std::string icyBitrate;
  std::string icyGenre;
  // More of the failure, for the operator: "HTTP 404", the transfer library's message.
  std::string detail;

  [[nodiscard]] bool good() const { return reason == ProbeReason::Good; }
};

struct ProbeOptions
{
  int concurrency = 64;
  int timeoutSeconds = 10;  // connect and first bytes, per address probed
  int connectionsPerHost = 4;
  int maxRedirects = 5;
  bool allowPrivate = false;  // probe loopback, private, link-local and multicast networks too
};

// Probes stream addresses many at a time with libcurl's multi interface: only http and https,
// redirects followed up to the limit, every address connected to (redirects included) checked
// against the private networks, headers and at most the first 16 KB of a body read. A probe is good
// when the answer is 2xx and is media (an audio or video type, ICY headers, or bytes that look
// like a media stream), or a playlist whose first address is good (one level only).
class StreamProber
{
 public:
  explicit StreamProber(ProbeOptions options);
  ~StreamProber();
  StreamProber(const StreamProber &) = delete;
  StreamProber &operator=(const StreamProber &) = delete;

  // Probes every target, calling done for each as it ends (on the calling thread), until all are
  // done or stop is set; targets not begun when stop is set are left out.
  void run(const std::vector<ProbeTarget> &targets, const std::function<void(const ProbeResult &)> &done,
           const std::atomic<bool> &stop);

  // One address being probed (the transfer library's callbacks see it).
  struct Transfer;

 private:
  void begin(std::int64_t id, const std::string &url, int level);
  void finish(Transfer *transfer, int code);

  ProbeOptions options_;
  void *multi_ = nullptr;
  int running_ = 0;
  std::set<Transfer *> live_;
  const std::function<void(const ProbeResult &)> *done_ = nullptr;
};

// Whether a numeric IPv4 or IPv6 address is in a loopback, private, link-local, multicast or
// otherwise not public network.
bool isPrivateAddress(const std::string &address);

// What the first bytes of a body are: a media stream, a playlist (with its first http or https
// address), or neither.
struct BodyKind
{
  bool media = false;
  bool playlist = false;
  std::string firstAddress;
};
BodyKind sniffBody(const std::string &body, const std::string &contentType, const std::string &url);

}  // namespace tessivar::directory
