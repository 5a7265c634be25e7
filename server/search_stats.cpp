#include "server/search_stats.h"

#include "server/catalogue_backend.h"

#include <QString>

#include <chrono>
#include <cstdio>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxTermLength = 100;

}  // namespace

SearchStats::SearchStats(CatalogueBackend &catalogue)
    : catalogue_(catalogue), flusher_([this] { flushLoop(); })
{
}

SearchStats::~SearchStats()
{
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  flusher_.join();
  flush();
}

std::string SearchStats::normalisedTerm(std::string_view searchText)
{
  QString text = QString::fromUtf8(searchText.data(), static_cast<qsizetype>(searchText.size()));
  text.replace(u'+', u' ');
  text = text.simplified().toLower();
  const std::string term = text.toStdString();
  return term.size() > maxTermLength ? std::string() : term;
}

void SearchStats::count(std::string_view searchText)
{
  std::string term = normalisedTerm(searchText);
  if (term.empty()) return;
  const std::lock_guard lock(mutex_);
  ++pending_[std::move(term)];
}

std::vector<std::pair<std::string, std::int64_t>> SearchStats::top(std::size_t howMany)
{
  flush();
  return catalogue_.topSearches(howMany);
}

void SearchStats::flush()
{
  std::map<std::string, std::int64_t> counts;
  {
    const std::lock_guard lock(mutex_);
    counts.swap(pending_);
  }
  if (counts.empty()) return;
  try {
    catalogue_.addSearchCounts(counts);
  } catch (const std::exception &error) {
    std::fprintf(stderr, "tessivar-directory: search counts not stored: %s\n", error.what());
    const std::lock_guard lock(mutex_);
    for (const auto &[term, searches] : counts) pending_[term] += searches;
  }
}

void SearchStats::flushLoop()
{
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    wake_.wait_for(lock, std::chrono::seconds(5), [this] { return stopping_; });
    if (stopping_) break;
    lock.unlock();
    flush();
    lock.lock();
  }
}

}  // namespace tessivar::directory
