#include "server/stream_probe.h"

#include "server/playlist_reader.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <sstream>

namespace tessivar::directory {

namespace {

constexpr std::size_t bodyLimit = 16 * 1024;

std::string lower(std::string text)
{
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool startsWith(const std::string &text, const char *prefix)
{
  return text.rfind(prefix, 0) == 0;
}

bool privateV4(const unsigned char *a)
{
  return a[0] == 0 || a[0] == 10 || a[0] == 127 || (a[0] == 100 && (a[1] & 0xC0) == 64) ||
         (a[0] == 169 && a[1] == 254) || (a[0] == 172 && (a[1] & 0xF0) == 16) ||
         (a[0] == 192 && a[1] == 168) || (a[0] == 192 && a[1] == 0 && a[2] == 0) ||
         (a[0] == 198 && (a[1] & 0xFE) == 18) || a[0] >= 224;
}

bool privateV6(const unsigned char *a)
{
  static constexpr std::array<unsigned char, 12> mapped{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  if (std::equal(mapped.begin(), mapped.end(), a)) return privateV4(a + 12);
  const bool zeroPrefix = std::all_of(a, a + 15, [](unsigned char b) { return b == 0; });
  return zeroPrefix                                                          // :: and ::1
         || (a[0] & 0xFE) == 0xFC                                            // unique local
         || (a[0] == 0xFE && (a[1] & 0xC0) == 0x80)                          // link-local
         || a[0] == 0xFF                                                     // multicast
         || (a[0] == 0x20 && a[1] == 0x01 && a[2] == 0x0D && a[3] == 0xB8);  // documentation
}

bool privateSocketAddress(const sockaddr *address)
{
  if (address->sa_family == AF_INET)
    return privateV4(
        reinterpret_cast<const unsigned char *>(&reinterpret_cast<const sockaddr_in *>(address)->sin_addr));
  if (address->sa_family == AF_INET6)
    return privateV6(reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr.s6_addr);
  return true;
}

std::string hostKey(const std::string &url)
{
  const auto scheme = url.find("://");
  const auto begin = scheme == std::string::npos ? 0 : scheme + 3;
  return lower(url.substr(begin, url.find_first_of("/?#", begin) - begin));
}

// The value of the first `name="..."` (or '...') attribute, case aside.
std::string attributeValue(const std::string &text, const std::string &name)
{
  const std::string folded = lower(text);
  for (auto at = folded.find(name); at != std::string::npos; at = folded.find(name, at + 1)) {
    auto quote = folded.find_first_not_of(" \t\r\n=", at + name.size());
    if (quote == std::string::npos || (text[quote] != '"' && text[quote] != '\'')) continue;
    const auto end = text.find(text[quote], quote + 1);
    if (end != std::string::npos) return text.substr(quote + 1, end - quote - 1);
  }
  return {};
}

bool isStreamAddress(const std::string &url)
{
  const std::string folded = lower(url);
  return startsWith(folded, "http://") || startsWith(folded, "https://");
}

std::string firstStreamAddress(const std::vector<PlaylistItem> &items)
{
  for (const PlaylistItem &item : items) {
    if (isStreamAddress(item.url)) return item.url;
  }
  return {};
}

}  // namespace

const char *reasonText(ProbeReason reason)
{
  switch (reason) {
    case ProbeReason::Good:
      return "good";
    case ProbeReason::Refused:
      return "refused";
    case ProbeReason::TimedOut:
      return "time-out";
    case ProbeReason::HttpStatus:
      return "HTTP status";
    case ProbeReason::NotMedia:
      return "not media";
    case ProbeReason::TooManyRedirects:
      return "too many redirects";
    case ProbeReason::PrivateAddress:
      return "private address";
    case ProbeReason::NoSuchHost:
      return "no such host";
    case ProbeReason::NotHttp:
      return "not http";
    case ProbeReason::OtherError:
      break;
  }
  return "other error";
}

bool isPrivateAddress(const std::string &address)
{
  unsigned char bytes[16];
  if (inet_pton(AF_INET, address.c_str(), bytes) == 1) return privateV4(bytes);
  if (inet_pton(AF_INET6, address.c_str(), bytes) == 1) return privateV6(bytes);
  return false;
}

BodyKind sniffBody(const std::string &body, const std::string &contentType, const std::string &url)
{
  BodyKind kind;
  const std::string type = lower(contentType);
  const std::string path = lower(url.substr(0, url.find_first_of("?#")));
  std::string head = body.substr(0, 512);
  if (startsWith(head, "\xEF\xBB\xBF")) head.erase(0, 3);
  head.erase(0, head.find_first_not_of(" \t\r\n"));
  const std::string folded = lower(head);
  const auto ends = [&path](const char *suffix) {
    return path.size() >= std::strlen(suffix) &&
           path.compare(path.size() - std::strlen(suffix), std::string::npos, suffix) == 0;
  };

  // Playlists first: several of their types are audio types.
  std::istringstream in(body);
  if (startsWith(folded, "[playlist]")) {
    kind.playlist = true;
    kind.firstAddress = firstStreamAddress(readPls(in));
    return kind;
  }
  if (startsWith(folded, "#extm3u") || type.find("mpegurl") != std::string::npos || ends(".m3u") ||
      ends(".m3u8")) {
    // A live HLS list is a stream of its own.
    if (folded.find("#ext-x-") != std::string::npos || body.find("#EXT-X-") != std::string::npos) {
      kind.media = true;
      return kind;
    }
    if (!startsWith(folded, "<") && (isStreamAddress(folded) || startsWith(folded, "#"))) {
      kind.playlist = true;
      kind.firstAddress = firstStreamAddress(readM3u(in));
      return kind;
    }
  }
  if (startsWith(folded, "<asx")) {
    kind.playlist = true;
    const std::string address = attributeValue(body, "href");
    if (isStreamAddress(address)) kind.firstAddress = address;
    return kind;
  }
  if (type == "audio/x-pn-realaudio" || ends(".ram")) {
    if (isStreamAddress(folded)) {
      kind.playlist = true;
      kind.firstAddress = head.substr(0, head.find_first_of("\r\n"));
      return kind;
    }
  }

  const auto *bytes = reinterpret_cast<const unsigned char *>(body.data());
  const std::size_t n = body.size();
  const auto at = [&body](std::size_t offset, const char *magic) {
    return body.compare(offset, std::strlen(magic), magic) == 0;
  };
  kind.media = at(0, "ID3") || at(0, "OggS") || at(0, "fLaC") || at(0, "RIFF") || at(0, "FLV") ||
               at(0, ".RMF") || at(0, "\x30\x26\xB2\x75") || at(0, "\x1A\x45\xDF\xA3") ||
               (n >= 8 && at(4, "ftyp")) || (n >= 2 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0) ||
               (n >= 189 && bytes[0] == 0x47 && bytes[188] == 0x47);
  if (!kind.media && !startsWith(folded, "<"))
    kind.media = startsWith(type, "audio/") || startsWith(type, "video/") || type == "application/ogg";
  return kind;
}

struct StreamProber::Transfer
{
  CURL *easy = nullptr;
  bool allowPrivate = false;
  std::int64_t id = 0;
  std::string url;
  int level = 0;
  ProbeResult result;
  std::string body;
  bool enough = false;          // the write was stopped on purpose: enough was read
  bool privateRefused = false;  // an address was not connected to because it is private
  char error[CURL_ERROR_SIZE] = {};
};

namespace {

using Transfer = StreamProber::Transfer;

}  // namespace

StreamProber::StreamProber(ProbeOptions options) : options_(options)
{
  curl_global_init(CURL_GLOBAL_DEFAULT);
  multi_ = curl_multi_init();
  curl_multi_setopt(multi_, CURLMOPT_MAX_TOTAL_CONNECTIONS, long(std::max(1, options_.concurrency)));
}

StreamProber::~StreamProber()
{
  curl_multi_cleanup(multi_);
}

namespace {

std::size_t headerLine(char *data, std::size_t size, std::size_t count, void *context)
{
  auto &transfer = *static_cast<Transfer *>(context);
  const std::size_t length = size * count;
  std::string line(data, length);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  // Each answer of a redirect chain starts over.
  if (startsWith(line, "HTTP/") || startsWith(line, "ICY ")) {
    transfer.result.contentType.clear();
    transfer.result.icyName.clear();
    transfer.result.icyBitrate.clear();
    transfer.result.icyGenre.clear();
    return length;
  }
  const auto colon = line.find(':');
  if (colon == std::string::npos) return length;
  const std::string name = lower(line.substr(0, colon));
  std::string value = line.substr(colon + 1);
  value.erase(0, value.find_first_not_of(" \t"));
  value = value.substr(0, 200);
  if (name == "content-type")
    transfer.result.contentType = value;
  else if (name == "icy-name")
    transfer.result.icyName = value;
  else if (name == "icy-br")
    transfer.result.icyBitrate = value;
  else if (name == "icy-genre")
    transfer.result.icyGenre = value;
  return length;
}

std::size_t bodyBytes(char *data, std::size_t size, std::size_t count, void *context)
{
  auto &transfer = *static_cast<Transfer *>(context);
  const std::size_t length = size * count;
  transfer.body.append(data, std::min(length, bodyLimit - transfer.body.size()));
  // The stream says what it is in its headers: its first bytes are enough.
  const bool saysMedia = !transfer.result.icyName.empty() || !transfer.result.icyBitrate.empty() ||
                         sniffBody(transfer.body, transfer.result.contentType, transfer.url).media;
  if (transfer.body.size() >= bodyLimit || saysMedia) {
    transfer.enough = true;
    return 0;
  }
  return length;
}

curl_socket_t openSocket(void *context, curlsocktype, curl_sockaddr *address)
{
  auto &transfer = *static_cast<Transfer *>(context);
  if (transfer.privateRefused || (!transfer.allowPrivate && privateSocketAddress(&address->addr))) {
    transfer.privateRefused = true;
    return CURL_SOCKET_BAD;
  }
  return socket(address->family, address->socktype, address->protocol);
}

}  // namespace

void StreamProber::begin(std::int64_t id, const std::string &url, int level)
{
  auto transfer = std::make_unique<Transfer>();
  transfer->allowPrivate = options_.allowPrivate;
  transfer->id = transfer->result.id = id;
  transfer->url = url;
  transfer->level = level;
  CURL *easy = curl_easy_init();
  transfer->easy = easy;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, long(options_.maxRedirects));
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, long(options_.timeoutSeconds));
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, long(options_.timeoutSeconds));
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "tessivar-directory stream check");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, headerLine);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, bodyBytes);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
  curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, openSocket);
  curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, transfer.get());
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->error);
  curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());
  curl_multi_add_handle(multi_, easy);
  ++running_;
  live_.insert(transfer.release());
}

void StreamProber::finish(Transfer *owned, int code)
{
  const std::unique_ptr<Transfer> transfer(owned);
  live_.erase(owned);
  curl_multi_remove_handle(multi_, transfer->easy);
  --running_;
  ProbeResult &result = transfer->result;
  long status = 0;
  curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(transfer->easy);
  result.httpStatus = status;
  const auto failWith = [&](ProbeReason reason, std::string detail) {
    result.reason = reason;
    result.detail = std::move(detail);
    (*done_)(result);
  };

  if (!transfer->enough && code != CURLE_OK) {
    switch (code) {
      case CURLE_COULDNT_CONNECT:
        return failWith(transfer->privateRefused ? ProbeReason::PrivateAddress : ProbeReason::Refused,
                        transfer->error);
      case CURLE_OPERATION_TIMEDOUT:
        return failWith(ProbeReason::TimedOut, transfer->error);
      case CURLE_TOO_MANY_REDIRECTS:
        return failWith(ProbeReason::TooManyRedirects, transfer->error);
      case CURLE_COULDNT_RESOLVE_HOST:
        return failWith(ProbeReason::NoSuchHost, transfer->error);
      case CURLE_UNSUPPORTED_PROTOCOL:
        return failWith(ProbeReason::NotHttp, transfer->error);
      default:
        if (transfer->privateRefused) return failWith(ProbeReason::PrivateAddress, transfer->error);
        return failWith(ProbeReason::OtherError,
                        transfer->error[0] != '\0' ? transfer->error : curl_easy_strerror(CURLcode(code)));
    }
  }
  if (status < 200 || status > 299)
    return failWith(ProbeReason::HttpStatus, "HTTP " + std::to_string(status));
  if (!result.icyName.empty() || !result.icyBitrate.empty()) {
    result.reason = ProbeReason::Good;
    return (*done_)(result);
  }
  const BodyKind kind = sniffBody(transfer->body, result.contentType, transfer->url);
  if (kind.media) {
    result.reason = ProbeReason::Good;
    return (*done_)(result);
  }
  if (kind.playlist && !kind.firstAddress.empty() && transfer->level == 0)
    return begin(transfer->id, kind.firstAddress, 1);
  failWith(ProbeReason::NotMedia, kind.playlist ? "a playlist without a stream" : result.contentType);
}

void StreamProber::run(const std::vector<ProbeTarget> &targets,
                       const std::function<void(const ProbeResult &)> &done, const std::atomic<bool> &stop)
{
  done_ = &done;
  // Each host's targets wait in a queue of their own, so that a few hosts with many entries
  // neither take every slot nor get more than a few connections at once.
  std::map<std::string, std::deque<const ProbeTarget *>> waiting;
  std::deque<std::string> hosts;
  for (const ProbeTarget &target : targets) {
    auto &queue = waiting[hostKey(target.url)];
    if (queue.empty()) hosts.push_back(hostKey(target.url));
    queue.push_back(&target);
  }
  std::map<std::string, int> busy;
  std::map<std::int64_t, std::string> hostOfId;
  const auto fill = [&] {
    for (std::size_t turn = 0; turn < hosts.size() && running_ < options_.concurrency;) {
      const std::string host = hosts.front();
      hosts.pop_front();
      auto &queue = waiting[host];
      if (busy[host] < options_.connectionsPerHost && !queue.empty()) {
        const ProbeTarget *target = queue.front();
        queue.pop_front();
        ++busy[host];
        hostOfId[target->id] = host;
        begin(target->id, target->url, 0);
        turn = 0;
      } else {
        ++turn;
      }
      if (!queue.empty()) hosts.push_back(host);
    }
  };
  const std::function<void(const ProbeResult &)> counted = [&](const ProbeResult &result) {
    --busy[hostOfId[result.id]];
    done(result);
  };
  done_ = &counted;

  fill();
  while (running_ > 0 && !stop) {
    int active = 0;
    curl_multi_perform(multi_, &active);
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(multi_, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      Transfer *transfer = nullptr;
      curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
      finish(transfer, message->data.result);
    }
    fill();
    if (running_ > 0) curl_multi_poll(multi_, nullptr, 0, 200, nullptr);
  }
  // Stopped: what is under way is dropped unreported.
  for (Transfer *transfer : live_) {
    curl_multi_remove_handle(multi_, transfer->easy);
    curl_easy_cleanup(transfer->easy);
    delete transfer;
  }
  live_.clear();
  running_ = 0;
  done_ = nullptr;
}

}  // namespace tessivar::directory
