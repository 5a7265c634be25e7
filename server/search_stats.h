#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace tessivar::directory {

class CatalogueBackend;

// Counts the searched terms for the top-ten page. Counting only touches memory; a background
// thread adds the counts to the catalogue every few seconds and once more when it stops.
class SearchStats
{
 public:
  explicit SearchStats(CatalogueBackend &catalogue);
  ~SearchStats();
  SearchStats(const SearchStats &) = delete;
  SearchStats &operator=(const SearchStats &) = delete;

  // Counts a search text: lower case, "+" and runs of blanks as one blank; empty or over 100 characters is
  // not counted.
  void count(std::string_view searchText);
  // The most searched terms, most first (stores what is pending first).
  std::vector<std::pair<std::string, std::int64_t>> top(std::size_t howMany);
  void flush();

  static std::string normalisedTerm(std::string_view searchText);

 private:
  void flushLoop();

  CatalogueBackend &catalogue_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::map<std::string, std::int64_t> pending_;
  std::thread flusher_;
};

}  // namespace tessivar::directory
