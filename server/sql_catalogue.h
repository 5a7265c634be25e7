#pragma once

#include "server/catalogue_backend.h"
#include "server/match_snapshot.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <thread>

namespace tessivar::directory {

class CandidateFinder;
class SqlSession;
class SqlStatement;

// The statements of a backend's SQL dialect that the shared catalogue code runs. Parameters are
// numbered from 1; ENTRY is the columns id, kind, family, url, name, format, location, state,
// country, genre, homepage, bitrate, duration, show_id, check_failed.
struct CatalogueSql
{
  SnapshotSql snapshot;
  const char *listAll;        // (kinds, families, max rate, min clip rate, min clip seconds) -> page_head,
                              // page_tail, duration, id, check_failed, by name ignoring case, then id
  const char *browseCount;    // (initial) -> how many clips
  const char *browse;         // (initial, limit, offset) -> ENTRY of clips by name ignoring case, then id
  const char *entryById;      // (id) -> ENTRY
  const char *sameShow;       // (show id) -> ENTRY of its clips
  const char *related;        // (see bindRelated) -> ENTRY of clips sharing title words or tags
  const char *nextStation;    // (after, families, max rate) -> ENTRY of the first radio station above
  const char *recentSignUps;  // (ISO time) -> how many signed up since
  const char *signUp;         // (email, name, program, ISO time)
  const char *countSearch;    // (term, searches) added
  const char *trimSearches;   // (how many) the least searched terms beyond it deleted
  const char *topSearches;    // (how many) -> term, searches, most first, then by term
  const char *countDue;       // (checked before, now) -> how many entries are due for a check
  const char *claimDue;       // (checked before, now, how many, after, claimed until) -> id, url claimed
  const char *recordCheck;    // (id, time, good, reason, type, icy name, icy rate, icy genre,
                              // hidden unless good since)
  const char *releaseClaim;   // (id)
  const char *raiseGeneration;
};

// The text every statement that serves entries carries to leave out the failing ones; a server that
// shows them runs its statements without it.
constexpr const char *servedOnly = " AND e.hidden = 0";

// The catalogue's questions answered once for every SQL database: each backend supplies its
// statements, its connections and how it finds the candidates of a search.
class SqlCatalogue : public CatalogueBackend
{
 public:
  std::int64_t generation() override;
  void prepareSearches() override;
  // Searches are scored in this process, on its processors alone: as many at once as there are
  // processors. More only makes each take longer, and a long one makes every short one beside it wait
  // (at a million entries, the slowest searches in a hundred took 20 ms under load with one more, 14
  // with as many).
  std::size_t computingAtOnce() const override;
  std::string searchPage(const SearchExpression &expression, SearchScope scope, const EntryFilter &filter,
                         PageLayout layout, std::size_t limit) override;
  void writeListAllPage(const EntryFilter &filter, PageLayout layout, const ChunkSink &sink) override;
  BrowsePage browseClips(char initial, std::int64_t page) override;
  std::vector<CatalogueEntry> relatedClips(std::int64_t id, std::uint32_t families) override;
  ScanStep nextStation(const SearchExpression &style, std::uint32_t families, std::int64_t maxBitrate,
                       std::int64_t after) override;
  bool storeSignUp(const std::string &email, const std::string &name, const std::string &program,
                   std::int64_t perHour) override;
  void addSearchCounts(const std::map<std::string, std::int64_t> &counts) override;
  std::vector<std::pair<std::string, std::int64_t>> topSearches(std::size_t howMany) override;
  std::int64_t countDueChecks(std::int64_t checkedBefore, std::int64_t now) override;
  std::vector<DueEntry> claimDueChecks(std::size_t count, std::int64_t checkedBefore, std::int64_t now,
                                       std::int64_t after) override;
  void recordChecks(const std::vector<CheckFinding> &findings, std::int64_t checkedAt) override;
  void releaseClaims(const std::vector<std::int64_t> &ids) override;

 protected:
  // showFailing: the statements run without servedOnly.
  SqlCatalogue(const CatalogueSql &sql, bool showFailing);
  ~SqlCatalogue() override;
  // Each backend's destructor calls it first: the background work uses the backend.
  void stopPreparing();

  using Work = std::function<void(SqlSession &)>;
  // Runs reads on a connection, in one read transaction where the database has them. When repeatable,
  // a read that finds its connection lost may run once more on a new one.
  virtual void read(const Work &work, bool repeatable) = 0;
  // Runs work on the writing connection in one transaction.
  virtual void write(const Work &work) = 0;
  // quickSearchPage() for a backend whose reads of its connections wait for nothing (a local file): the
  // page is made when the candidates are found in memory, on trigram lists already made.
  std::optional<std::string> localQuickSearchPage(const SearchExpression &expression, SearchScope scope,
                                                  const EntryFilter &filter, PageLayout layout,
                                                  std::size_t limit, std::size_t maxWork);
  // Whether finder() finds the candidates on the snapshot's own trigram lists (ScanningFinder), which the
  // first search makes (prepareSearches() makes them ahead of it), rather than on an index.
  virtual bool scansSnapshot(const MatchSnapshot &snapshot) const = 0;
  virtual std::unique_ptr<CandidateFinder> finder(SqlSession &session, const MatchSnapshot &snapshot) = 0;
  // Binds the related statement's parameters for the item's title words and tags (either may be empty).
  virtual void bindRelated(SqlStatement &statement, const QStringList &words, const QStringList &tags) = 0;

 private:
  std::optional<CatalogueEntry> entryById(SqlSession &session, std::int64_t id);
  std::string resultPage(SqlSession &session, const MatchSnapshot &snapshot,
                         const SearchExpression &expression, SearchScope scope, const EntryFilter &filter,
                         PageLayout layout, std::size_t limit);

  // The statements' texts, kept here when changed for showFailing.
  std::vector<std::unique_ptr<std::string>> texts_;
  CatalogueSql sql_;
  std::thread preparing_;
};

// The most searched terms kept; the others are forgotten, least searched first.
constexpr std::int64_t searchTermsKept = 10000;

}  // namespace tessivar::directory
