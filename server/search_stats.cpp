#include "server/search_stats.h"

#include "server/sqlite_db.h"
#include "server/writer_connection.h"

#include <QString>

#include <chrono>
#include <cstdio>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxTermLength = 100;

}  // namespace

SearchStats::SearchStats(WriterConnection &writer) : writer_(writer), flusher_([this] { flushLoop(); }) {}

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

std::vector<std::pair<std::string, std::int64_t>> SearchStats::top(Database &reader, std::size_t howMany)
{
  flush();
  std::vector<std::pair<std::string, std::int64_t>> ranked;
  auto statement =
      reader.query("SELECT term, searches FROM search_counts ORDER BY searches DESC, term LIMIT ?1");
  statement->bind(1, static_cast<std::int64_t>(howMany));
  while (statement->step()) ranked.emplace_back(statement->text(0), statement->integer(1));
  return ranked;
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
    writer_.write([&](Database &db) {
      Transaction transaction(db);
      for (const auto &[term, searches] : counts) {
        auto statement = db.query(
            "INSERT INTO search_counts (term, searches) VALUES (?1, ?2)"
            " ON CONFLICT (term) DO UPDATE SET searches = searches + excluded.searches");
        statement->bind(1, term).bind(2, searches).run();
      }
      transaction.commit();
    });
  } catch (const DatabaseError &error) {
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
