#include "server/sql_catalogue.h"

#include "server/keyword_search.h"
#include "server/related_clips.h"
#include "server/result_page.h"
#include "server/sql_statement.h"

#include "server/format_family.h"

#include <algorithm>
#include <ctime>
#include <map>

namespace tessivar::directory {

namespace {

constexpr std::size_t listAllChunkBytes = 64 * 1024;

CatalogueEntry readEntry(const SqlStatement &row)
{
  CatalogueEntry entry;
  entry.id = row.integer(0);
  entry.kind = static_cast<int>(row.integer(1));
  entry.family = static_cast<int>(row.integer(2));
  entry.url = row.text(3);
  entry.name = row.text(4);
  entry.format = row.text(5);
  entry.location = row.text(6);
  entry.state = row.text(7);
  entry.country = row.text(8);
  entry.genre = row.text(9);
  entry.homepage = row.text(10);
  entry.bitrate = row.integer(11);
  entry.duration = row.integer(12);
  entry.showId = row.integer(13);
  entry.checkFailed = row.integer(14) != 0;
  return entry;
}

QString toQString(const std::string &text)
{
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The time so many seconds ago, as sign-ups are stamped: 2025-01-31T23:59:59Z (UTC).
std::string utcTime(std::time_t secondsAgo)
{
  const std::time_t when = std::time(nullptr) - secondsAgo;
  std::tm parts{};
  gmtime_r(&when, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

std::optional<std::int64_t> nextNumberAfter(const std::vector<Match> &matches, std::int64_t after)
{
  std::optional<std::int64_t> next;
  for (const Match &match : matches) {
    if (match.id > after && (!next || match.id < *next)) next = match.id;
  }
  return next;
}

}  // namespace

SqlCatalogue::~SqlCatalogue()
{
  stopPreparing();
}

void SqlCatalogue::stopPreparing()
{
  if (preparing_.joinable()) preparing_.join();
}

void SqlCatalogue::prepareSearches()
{
  if (preparing_.joinable()) return;
  preparing_ = std::thread([this] {
    try {
      read(
          [this](SqlSession &session) {
            const auto snapshot = MatchSnapshot::current(session, sql_.snapshot);
            if (scansSnapshot(*snapshot)) snapshot->trigramRows();
          },
          true);
    } catch (const std::exception &) {
      // The first search makes it, or reports why it cannot.
    }
  });
}

std::size_t SqlCatalogue::computingAtOnce() const
{
  return std::max(1u, std::thread::hardware_concurrency());
}

std::int64_t SqlCatalogue::generation()
{
  std::int64_t generation = 0;
  read(
      [&](SqlSession &session) {
        auto statement = session.statement(sql_.snapshot.generation);
        generation = statement->step() ? statement->integer(0) : 0;
      },
      true);
  return generation;
}

std::string SqlCatalogue::resultPage(SqlSession &session, const MatchSnapshot &snapshot,
                                     const SearchExpression &expression, SearchScope scope,
                                     const EntryFilter &filter, PageLayout layout, std::size_t limit)
{
  std::string page = resultPageStart();
  const std::vector<Match> matches =
      findBest(snapshot, *finder(session, snapshot), expression, scope, filter, limit);
  std::size_t size = page.size() + 32;
  for (const Match &match : matches) {
    if (const MatchRow *row = snapshot.find(match.id)) size += row->lineLengths[0] + row->lineLengths[1] + 32;
  }
  page.reserve(size);
  for (const Match &match : matches) {
    if (const MatchRow *row = snapshot.find(match.id))
      appendResultLine(page, snapshot.lineHead(*row), snapshot.lineTail(*row), layout, row->duration, row->id,
                       row->checkFailed);
  }
  return page + resultPageEnd;
}

std::string SqlCatalogue::searchPage(const SearchExpression &expression, SearchScope scope,
                                     const EntryFilter &filter, PageLayout layout, std::size_t limit)
{
  if (!searchable(expression, filter)) return resultPageStart() + resultPageEnd;
  std::string page;
  read(
      [&](SqlSession &session) {
        const auto snapshot = MatchSnapshot::current(session, sql_.snapshot);
        page = resultPage(session, *snapshot, expression, scope, filter, layout, limit);
      },
      true);
  return page;
}

std::optional<std::string> SqlCatalogue::localQuickSearchPage(const SearchExpression &expression,
                                                              SearchScope scope, const EntryFilter &filter,
                                                              PageLayout layout, std::size_t limit,
                                                              std::size_t maxWork)
{
  if (!searchable(expression, filter)) return resultPageStart() + resultPageEnd;
  std::optional<std::string> page;
  read(
      [&](SqlSession &session) {
        page.reset();
        const auto snapshot = MatchSnapshot::currentIfMade(session, sql_.snapshot);
        if (!snapshot || !scansSnapshot(*snapshot) || !snapshot->hasTrigramRows()) return;
        if (estimatedWork(*snapshot, expression) > maxWork) return;
        page = resultPage(session, *snapshot, expression, scope, filter, layout, limit);
      },
      true);
  return page;
}

void SqlCatalogue::writeListAllPage(const EntryFilter &filter, PageLayout layout, const ChunkSink &sink)
{
  // Not repeated: its first lines may be out already.
  read(
      [&](SqlSession &session) {
        std::string chunk = resultPageStart();
        chunk.reserve(listAllChunkBytes + 4096);
        auto rows = session.statement(sql_.listAll);
        rows->bind(1, static_cast<std::int64_t>(filter.kinds))
            .bind(2, static_cast<std::int64_t>(filter.families))
            .bind(3, filter.maxBitrate)
            .bind(4, filter.minBitrate)
            .bind(5, filter.minSeconds);
        while (rows->step()) {
          appendResultLine(chunk, rows->textView(0), rows->textView(1), layout, rows->integer(2),
                           rows->integer(3), rows->integer(4) != 0);
          if (chunk.size() >= listAllChunkBytes) {
            if (!sink(chunk)) return;
            chunk.clear();
          }
        }
        chunk += resultPageEnd;
        sink(chunk);
      },
      false);
}

BrowsePage SqlCatalogue::browseClips(char initial, std::int64_t page)
{
  const std::string letter(1, initial);
  BrowsePage result;
  read(
      [&](SqlSession &session) {
        result = {};
        std::int64_t total = 0;
        {
          auto count = session.statement(sql_.browseCount);
          count->bind(1, letter);
          if (count->step()) total = count->integer(0);
        }
        result.totalPages = std::max<std::int64_t>(1, (total + browsePageSize - 1) / browsePageSize);
        const std::int64_t index = std::max<std::int64_t>(page, 1) - 1;
        if (index >= result.totalPages) return;
        auto rows = session.statement(sql_.browse);
        rows->bind(1, letter).bind(2, browsePageSize).bind(3, index * browsePageSize);
        while (rows->step()) result.entries.push_back(readEntry(*rows));
      },
      true);
  return result;
}

std::optional<CatalogueEntry> SqlCatalogue::entryById(SqlSession &session, std::int64_t id)
{
  auto statement = session.statement(sql_.entryById);
  statement->bind(1, id);
  if (!statement->step()) return std::nullopt;
  return readEntry(*statement);
}

std::vector<CatalogueEntry> SqlCatalogue::relatedClips(std::int64_t id, std::uint32_t families)
{
  std::optional<CatalogueEntry> item;
  std::map<std::int64_t, CatalogueEntry> candidates;
  read(
      [&](SqlSession &session) {
        candidates.clear();
        item = entryById(session, id);
        if (!item || families == 0) return;
        const auto collect = [&candidates](SqlStatement &rows) {
          while (rows.step()) {
            CatalogueEntry entry = readEntry(rows);
            candidates.emplace(entry.id, std::move(entry));
          }
        };
        if (item->showId != 0) {
          auto statement = session.statement(sql_.sameShow);
          statement->bind(1, item->showId);
          collect(*statement);
        }
        const QStringList words = titleWords(toQString(item->name));
        const QStringList tags = tagList(toQString(item->genre));
        if (words.isEmpty() && tags.isEmpty()) return;
        auto statement = session.statement(sql_.related);
        bindRelated(*statement, words, tags);
        collect(*statement);
      },
      true);
  if (!item || families == 0) return {};
  return rankRelated(*item, std::move(candidates), families, maxRelatedResults);
}

ScanStep SqlCatalogue::nextStation(const SearchExpression &style, std::uint32_t families,
                                   std::int64_t maxBitrate, std::int64_t after)
{
  ScanStep step;
  read(
      [&](SqlSession &session) {
        step = {};
        if (style.empty()) {
          for (const std::int64_t from : {after, std::int64_t{0}}) {
            auto statement = session.statement(sql_.nextStation);
            statement->bind(1, from).bind(2, static_cast<std::int64_t>(families)).bind(3, maxBitrate);
            if (statement->step()) {
              step.styleHasStations = true;
              if (from == after) step.station = readEntry(*statement);
              break;
            }
          }
          return;
        }
        EntryFilter filter;
        filter.kinds = 1u << static_cast<int>(EntryKind::Radio);
        filter.families = families;
        filter.maxBitrate = maxBitrate;
        const auto snapshot = MatchSnapshot::current(session, sql_.snapshot);
        const std::vector<Match> matches =
            findMatches(*snapshot, *finder(session, *snapshot), style, SearchScope::GenreOnly, filter);
        step.styleHasStations = !matches.empty();
        if (const std::optional<std::int64_t> next = nextNumberAfter(matches, after))
          step.station = entryById(session, *next);
      },
      true);
  return step;
}

SqlCatalogue::SqlCatalogue(const CatalogueSql &sql, bool showFailing) : sql_(sql)
{
  if (!showFailing) return;
  for (const char **text : {&sql_.snapshot.rows, &sql_.listAll, &sql_.browseCount, &sql_.browse,
                            &sql_.sameShow, &sql_.related, &sql_.nextStation}) {
    auto changed = std::make_unique<std::string>(*text);
    for (auto at = changed->find(servedOnly); at != std::string::npos; at = changed->find(servedOnly))
      changed->erase(at, std::string_view(servedOnly).size());
    *text = changed->c_str();
    texts_.push_back(std::move(changed));
  }
}

std::int64_t SqlCatalogue::countDueChecks(std::int64_t checkedBefore, std::int64_t now)
{
  std::int64_t due = 0;
  read(
      [&](SqlSession &session) {
        auto statement = session.statement(sql_.countDue);
        statement->bind(1, checkedBefore).bind(2, now);
        due = statement->step() ? statement->integer(0) : 0;
      },
      true);
  return due;
}

std::vector<DueEntry> SqlCatalogue::claimDueChecks(std::size_t count, std::int64_t checkedBefore,
                                                   std::int64_t now, std::int64_t after)
{
  std::vector<DueEntry> claimed;
  write([&](SqlSession &session) {
    claimed.clear();
    auto statement = session.statement(sql_.claimDue);
    statement->bind(1, checkedBefore)
        .bind(2, now)
        .bind(3, static_cast<std::int64_t>(count))
        .bind(4, after)
        .bind(5, now + checkClaimSeconds);
    while (statement->step()) claimed.push_back({statement->integer(0), statement->text(1)});
  });
  return claimed;
}

void SqlCatalogue::recordChecks(const std::vector<CheckFinding> &findings, std::int64_t checkedAt)
{
  if (findings.empty()) return;
  write([&](SqlSession &session) {
    for (const CheckFinding &finding : findings) {
      session.statement(sql_.recordCheck)
          ->bind(1, finding.id)
          .bind(2, checkedAt)
          .bind(3, std::int64_t(finding.good ? 1 : 0))
          .bind(4, finding.reason)
          .bind(5, finding.contentType)
          .bind(6, finding.icyName)
          .bind(7, finding.icyBitrate)
          .bind(8, finding.icyGenre)
          .bind(9, checkedAt - failingAfterSeconds)
          .run();
    }
    session.statement(sql_.raiseGeneration)->run();
  });
}

void SqlCatalogue::releaseClaims(const std::vector<std::int64_t> &ids)
{
  if (ids.empty()) return;
  write([&](SqlSession &session) {
    for (const std::int64_t id : ids) session.statement(sql_.releaseClaim)->bind(1, id).run();
  });
}

bool SqlCatalogue::storeSignUp(const std::string &email, const std::string &name, const std::string &program,
                               std::int64_t perHour)
{
  bool stored = false;
  write([&](SqlSession &session) {
    if (perHour > 0) {
      auto recent = session.statement(sql_.recentSignUps);
      recent->bind(1, utcTime(3600));
      if (recent->step() && recent->integer(0) >= perHour) return;
    }
    session.statement(sql_.signUp)->bind(1, email).bind(2, name).bind(3, program).bind(4, utcTime(0)).run();
    stored = true;
  });
  return stored;
}

void SqlCatalogue::addSearchCounts(const std::map<std::string, std::int64_t> &counts)
{
  write([&](SqlSession &session) {
    for (const auto &[term, searches] : counts)
      session.statement(sql_.countSearch)->bind(1, term).bind(2, searches).run();
    session.statement(sql_.trimSearches)->bind(1, searchTermsKept).run();
  });
}

std::vector<std::pair<std::string, std::int64_t>> SqlCatalogue::topSearches(std::size_t howMany)
{
  std::vector<std::pair<std::string, std::int64_t>> ranked;
  read(
      [&](SqlSession &session) {
        ranked.clear();
        auto statement = session.statement(sql_.topSearches);
        statement->bind(1, static_cast<std::int64_t>(howMany));
        while (statement->step()) ranked.emplace_back(statement->text(0), statement->integer(1));
      },
      true);
  return ranked;
}

}  // namespace tessivar::directory
