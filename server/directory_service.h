#pragma once

#include "server/catalogue_backend.h"
#include "server/request_params.h"
#include "server/response_cache.h"
#include "server/result_page.h"
#include "server/search_stats.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessivar::directory {

struct Reply
{
  int status = 200;
  std::string contentType = "text/html; charset=utf-8";
  std::string body;
  std::function<void(const ChunkSink &)> stream =
      {};  // when set, the body is written through it instead of body
};

struct ServiceSettings
{
  std::string dataHost;  // what /redirect35.asp names; empty = the host the request was sent to
  std::string siteHost;  // the web site's host[:port] for links; empty = the request's host
  std::string minVersion = "3.7";
  std::size_t cacheBytes = 64u << 20;  // rendered answers kept for repeated requests; 0 = none
  std::int64_t signUpsPerHour = 1000;  // sign-ups stored an hour from all clients together; 0 = no limit
  bool showFailing = false;            // serve the entries the stream check found failing too
  // An SQLite catalogue of up to this many entries finds a search's candidates on trigram lists held in
  // memory (about 200 bytes an entry); a larger one on its full-text index.
  std::size_t memoryIndexEntries = 100000;
};

// Every endpoint's answer, apart from HTTP itself. Safe to call from many threads at once.
class DirectoryService
{
 public:
  // catalogue: an SQLite file or a postgresql:// address (see catalogue_backend.h).
  DirectoryService(const std::string &catalogue, ServiceSettings settings);
  ~DirectoryService();
  DirectoryService(const DirectoryService &) = delete;
  DirectoryService &operator=(const DirectoryService &) = delete;

  Reply redirect(const std::string &requestHost) const;
  Reply versionCheck(const Params &params) const;
  Reply directory(const Params &params);  // /tessivar37.asp: search, list all, related, scanner
  // The answer of directory() when it can be given without waiting: from the answer cache (shared with
  // it, not copied), or a keyword search small enough to make at once (see
  // CatalogueBackend::quickSearchPage()). Null otherwise: directory() answers, where waiting does no harm.
  std::shared_ptr<const Reply> directoryAtOnce(const Params &params);
  Reply browse(const std::string &letter, const std::string &page);
  Reply topTen();
  Reply signUp(const Params &params);
  Reply page(const std::string &path, const std::string &requestHost) const;
  static Reply notFound();
  // How many requests should be answered at once (0: no limit), as the catalogue wants.
  std::size_t computingAtOnce() const { return catalogue_->computingAtOnce(); }
  static Reply badRequest(const std::string &reason);

 private:
  // A keyword search or list all, as its parameters ask.
  struct KeywordSearch
  {
    SearchExpression expression;
    SearchScope scope = SearchScope::AllFields;
    EntryFilter filter;
    PageLayout layout = PageLayout::Live;
    bool listAll = false;
  };
  // nullopt when the parameters are wrong: refused is set, or else the parameters' error.
  std::optional<KeywordSearch> keywordSearch(RequestParams &params, Reply &refused);
  Reply search(RequestParams &params);
  Reply related(RequestParams &params);
  Reply scan(RequestParams &params);
  // A search that found something counts its text for the top ten.
  void countSearch(RequestParams &params, const Reply &reply);
  std::string hostFor(const std::string &configured, const std::string &requestHost) const;
  // The catalogue's generation for the cache keys, read again at most once per generationRecheck:
  // a change another process writes reaches the answers within that time, and an answer found in the
  // cache does not cost a read of the catalogue each time.
  std::int64_t cacheGeneration();
  // key under the catalogue's current generation.
  std::string cacheKey(const std::string &key);
  // The cached answer for key under the catalogue's current generation, or the one produce() makes.
  Reply cached(const std::string &key, const std::function<Reply()> &produce);

  static constexpr std::chrono::steady_clock::duration generationRecheck = std::chrono::milliseconds(1);

  ServiceSettings settings_;
  std::unique_ptr<CatalogueBackend> catalogue_;
  SearchStats stats_;
  ResponseCache cache_;
  std::atomic<std::int64_t> generation_{-1};
  std::atomic<std::int64_t> generationReadAt_{std::numeric_limits<std::int64_t>::min() / 2};
};

// True for a postgresql:// or postgres:// address; anything else names an SQLite file.
bool isPostgresAddress(std::string_view catalogue);

// The backend for the --db text: PostgreSQL for its addresses, otherwise the SQLite file (created
// when missing). Prepares the catalogue's tables; throws DatabaseError when it cannot.
std::unique_ptr<CatalogueBackend> openCatalogueBackend(const std::string &catalogue, bool showFailing = false,
                                                       std::size_t memoryIndexEntries = 100000);

// True when version (like "3.7") is below minimum; a version that is not dotted numbers counts as below.
bool versionBelow(const std::string &version, const std::string &minimum);

}  // namespace tessivar::directory
