#include "server/sqlite/catalogue_import.h"

#include "server/csv_reader.h"
#include "server/folded_text.h"
#include "server/format_family.h"
#include "server/genre_synonyms.h"
#include "server/icecast_yp_reader.h"
#include "server/page_text.h"
#include "server/playlist_reader.h"
#include "server/radio_browser_reader.h"
#include "server/result_page.h"
#include "server/sqlite/catalogue_derived.h"
#include "server/sqlite/catalogue_schema.h"
#include "server/sqlite/imported_keys.h"
#include "server/sqlite/sqlite_db.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <vector>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxUrlLength = 2000;

constexpr const char *upsertSql = R"sql(
INSERT INTO entries (kind, url_key, url, name, format, family, location, state, country, genre, homepage,
                     bitrate, duration, show_id, initial, page_head, page_tail)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)
ON CONFLICT (url_key) DO UPDATE SET
  kind = excluded.kind, url = excluded.url, name = excluded.name, format = excluded.format,
  family = excluded.family, location = excluded.location, state = excluded.state, country = excluded.country,
  genre = excluded.genre, homepage = excluded.homepage, bitrate = excluded.bitrate,
  duration = excluded.duration, show_id = excluded.show_id, initial = excluded.initial,
  page_head = excluded.page_head, page_tail = excluded.page_tail
WHERE entries.kind IS NOT excluded.kind OR entries.url IS NOT excluded.url OR entries.name IS NOT excluded.name
  OR entries.format IS NOT excluded.format OR entries.family IS NOT excluded.family
  OR entries.location IS NOT excluded.location OR entries.state IS NOT excluded.state
  OR entries.country IS NOT excluded.country OR entries.genre IS NOT excluded.genre
  OR entries.homepage IS NOT excluded.homepage OR entries.bitrate IS NOT excluded.bitrate
  OR entries.duration IS NOT excluded.duration OR entries.show_id IS NOT excluded.show_id
  OR entries.initial IS NOT excluded.initial
RETURNING id
)sql";

// Into an empty catalogue: a key not met before in the file, then one met before (?18 its entry), which
// changes it as the upsert above does.
constexpr const char *insertSql = R"sql(
INSERT INTO entries (kind, url_key, url, name, format, family, location, state, country, genre, homepage,
                     bitrate, duration, show_id, initial, page_head, page_tail)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)
)sql";
constexpr const char *updateSql = R"sql(
UPDATE entries SET
  kind = ?1, url = ?3, name = ?4, format = ?5, family = ?6, location = ?7, state = ?8, country = ?9,
  genre = ?10, homepage = ?11, bitrate = ?12, duration = ?13, show_id = ?14, initial = ?15,
  page_head = ?16, page_tail = ?17
WHERE id = ?18 AND (kind IS NOT ?1 OR url IS NOT ?3 OR name IS NOT ?4 OR format IS NOT ?5
  OR family IS NOT ?6 OR location IS NOT ?7 OR state IS NOT ?8 OR country IS NOT ?9 OR genre IS NOT ?10
  OR homepage IS NOT ?11 OR bitrate IS NOT ?12 OR duration IS NOT ?13 OR show_id IS NOT ?14
  OR initial IS NOT ?15)
RETURNING id
)sql";

struct NewEntry
{
  EntryKind kind = EntryKind::Radio;
  std::string url;
  std::string name;
  std::string codec;
  std::string state;
  std::string country;
  std::string genre;
  std::string homepage;
  std::int64_t bitrate = 0;
  std::int64_t duration = 0;
  std::int64_t showId = 0;
};

// Blanks and control characters collapsed to single blanks, trimmed.
std::string clean(const std::string &text)
{
  std::string out;
  bool blank = false;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == ' ') {
      blank = !out.empty();
      continue;
    }
    if (blank) out.push_back(' ');
    blank = false;
    out.push_back(c);
  }
  return out;
}

std::int64_t wholeNumber(const std::string &text)
{
  const std::string value = clean(text);
  if (value.empty() || value.size() > 9 ||
      !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); }))
    return 0;
  return std::stoll(value);
}

// Adds the genres a station's name states outright ("Jazz FM") to its genre tags.
std::string genreWithNameGenres(const std::string &name, const std::string &genre)
{
  std::string tags = genre;
  const WholeWordSearch inName(name);
  for (const auto &word : genresFromNames()) {
    if (inName.contains(word) && !containsWholeWord(tags, word))
      tags = tags.empty() ? word : tags + ',' + word;
  }
  return tags;
}

// The letter or digit a title is browsed under, upper case and without accents; empty when none.
std::string browseInitial(const std::string &name)
{
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) break;
    if (std::isalnum(static_cast<unsigned char>(c)))
      return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  const QString title = QString::fromStdString(name);
  for (QChar c : title) {
    if (!c.isLetterOrNumber()) continue;
    QChar base = c;
    const QString decomposed = c.decomposition();
    if (!decomposed.isEmpty()) base = decomposed.front();
    const char16_t unit = base.toUpper().unicode();
    if ((unit >= u'A' && unit <= u'Z') || (unit >= u'0' && unit <= u'9'))
      return std::string(1, static_cast<char>(unit));
    return {};
  }
  return {};
}

std::string locationText(const std::string &state, const std::string &country)
{
  if (!state.empty() && !country.empty() && state != country) return state + ", " + country;
  return country.empty() ? state : country;
}

std::string hostOf(const std::string &url)
{
  const auto scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  const auto begin = scheme + 3;
  return url.substr(begin, url.find_first_of("/?#", begin) - begin);
}

// Set before the import's transaction begins, which is when SQLite decides where statement journals go.
Database &preparedForImport(Database &db)
{
  // A large file touches every page of the indexes by address and name in turn: with the default cache
  // (2 MB) they would be written to the log again and again.
  db.execute("PRAGMA cache_size = -65536");
  // Every upsert keeps a journal of the pages it changes, to undo itself alone; once that journal has
  // outgrown 64 KB in a temporary file, it is written there (a page at a time) for every later row.
  db.execute("PRAGMA temp_store = MEMORY");
  return db;
}

class EntryWriter
{
 public:
  explicit EntryWriter(Database &db) : db_(preparedForImport(db)), transaction_(db)
  {
    // The full-text index is brought up to date in finish(), in a few statements (see dropTextTriggers).
    // Entries numbered above the last one now are new; text_changed keeps the texts the index holds for
    // the older ones whose texts change.
    dropTextTriggers(db_);
    db_.execute(
        "CREATE TEMP TABLE IF NOT EXISTS text_changed (id INTEGER PRIMARY KEY, name, format, location, "
        "genre)");
    db_.execute("DELETE FROM temp.text_changed");
    {
      auto last = db_.query("SELECT coalesce(max(id), 0) FROM entries");
      lastOldId_ = last->step() ? last->integer(0) : 0;
    }
    if (lastOldId_ == 0) dropEntryIndexes(db_);
    intoEmpty_ = lastOldId_ == 0 && hasDroppableAddressIndex(db_);
    if (intoEmpty_) dropAddressIndex(db_);
  }

  void add(NewEntry entry, ImportCount &count)
  {
    ++count.read;
    entry.url = clean(entry.url);
    entry.name = clean(entry.name);
    const std::string key = streamKey(entry.url);
    const char *skip = entry.url.empty()                                     ? "no stream address"
                       : key.empty()                                         ? "not a stream address"
                       : entry.url.size() > maxUrlLength                     ? "address too long"
                       : !isValidUtf8(entry.url) || !isValidUtf8(entry.name) ? "not UTF-8"
                                                                             : nullptr;
    if (skip != nullptr) {
      ++count.skipped;
      ++count.skippedBy[skip];
      return;
    }
    if (entry.name.empty()) entry.name = hostOf(entry.url);
    for (std::string *text : {&entry.state, &entry.country, &entry.genre, &entry.homepage, &entry.codec}) {
      *text = clean(*text);
      if (!isValidUtf8(*text)) text->clear();
    }
    if (entry.kind != EntryKind::Clip) entry.genre = genreWithNameGenres(entry.name, entry.genre);
    const FormatGuess format = classifyFormat(entry.kind, entry.codec, entry.url);

    // The derived data is made here, from what is stored, for an entry that is new or changed.
    CatalogueEntry stored;
    stored.kind = static_cast<int>(entry.kind);
    stored.family = static_cast<int>(format.family);
    stored.url = std::move(entry.url);
    stored.name = std::move(entry.name);
    stored.format = format.formatText;
    stored.location = locationText(entry.state, entry.country);
    stored.genre = std::move(entry.genre);
    stored.homepage = std::move(entry.homepage);
    stored.bitrate = entry.bitrate;
    stored.duration = entry.duration;
    rememberIndexedTexts(key, stored);
    const std::string initial = browseInitial(stored.name);
    const std::string pageHead = resultLineHead(stored);
    const std::string pageTail = resultLineTail(stored);
    const auto bindEntry = [&](Statement &statement) {
      statement.bind(1, static_cast<std::int64_t>(stored.kind))
          .bind(2, key)
          .bind(3, stored.url)
          .bind(4, stored.name)
          .bind(5, stored.format)
          .bind(6, static_cast<std::int64_t>(stored.family))
          .bind(7, stored.location)
          .bind(8, entry.state)
          .bind(9, entry.country)
          .bind(10, stored.genre)
          .bind(11, stored.homepage)
          .bind(12, stored.bitrate)
          .bind(13, stored.duration)
          .bind(15, initial)
          .bind(16, pageHead)
          .bind(17, pageTail);
      if (entry.showId != 0)
        statement.bind(14, entry.showId);
      else
        statement.bindNull(14);
    };
    stored.id = intoEmpty_ ? storeInEmpty(key, bindEntry) : storeUpsert(bindEntry);
    // Into an empty catalogue, finish() makes the match rows of all entries at once.
    if (stored.id != 0 && lastOldId_ != 0) storeMatchRow(db_, stored);
    ++count.accepted;
  }

  // Marks the entry of each key, once the import's rows are in, as failed by the check of the list it came
  // from (unless it has been checked here since).
  void markFailedAtSource(std::vector<std::string> keys) { failedAtSource_ = std::move(keys); }

  std::int64_t showId(const std::string &title)
  {
    const std::string name = clean(title);
    if (name.empty() || !isValidUtf8(name)) return 0;
    {
      auto insert = db_.query("INSERT INTO shows (title) VALUES (?1) ON CONFLICT (title) DO NOTHING");
      insert->bind(1, name).run();
    }
    auto select = db_.query("SELECT id FROM shows WHERE title = ?1");
    select->bind(1, name);
    return select->step() ? select->integer(0) : 0;
  }

  void finish()
  {
    if (intoEmpty_) {
      keys_ = ImportedKeys();
      createAddressIndex(db_);
    }
    for (const std::string &key : failedAtSource_) {
      auto mark = db_.query(
          "UPDATE entries SET check_failures = max(check_failures, 1), check_failed = 1, check_reason = ?2"
          " WHERE url_key = ?1 AND checked_at IS NULL");
      mark->bind(1, key).bind(2, failedAtSourceReason).run();
    }
    // The index keeps the words of rows added in memory until they outgrow this size (1 MB by default),
    // then writes them as a new segment and merges segments as they pile up: filled with a whole
    // catalogue at once, fewer and larger segments spare most of that merging.
    db_.execute("INSERT INTO entry_text (entry_text, rank) VALUES ('hashsize', 67108864)");
    db_.execute(
        "INSERT INTO entry_text (entry_text, rowid, name, format, location, genre)"
        " SELECT 'delete', id, name, format, location, genre FROM temp.text_changed");
    {
      auto added = db_.query(
          "INSERT INTO entry_text (rowid, name, format, location, genre)"
          " SELECT id, name, format, location, genre FROM entries WHERE id > ?1");
      added->bind(1, lastOldId_).run();
    }
    db_.execute(
        "INSERT INTO entry_text (rowid, name, format, location, genre)"
        " SELECT e.id, e.name, e.format, e.location, e.genre FROM temp.text_changed c JOIN entries e ON e.id "
        "= c.id");
    db_.execute("DELETE FROM temp.text_changed");
    createEntryIndexes(db_);
    createTextTriggers(db_);
    // An import into an empty catalogue gave every row its page parts in add(), and no match rows yet.
    if (lastOldId_ == 0)
      fillMatchRows(db_);
    else
      refreshDerivedColumns(db_);
    db_.execute("UPDATE catalogue_state SET generation = generation + 1");
    transaction_.commit();
    db_.execute("INSERT INTO entry_text (entry_text) VALUES ('optimize')");
  }

 private:
  // The id of the entry added or changed; 0 when the entry was stored already as it is.
  template <typename BindEntry>
  std::int64_t storeUpsert(const BindEntry &bindEntry)
  {
    auto upsert = db_.query(upsertSql);
    bindEntry(*upsert);
    return upsert->step() ? upsert->integer(0) : 0;
  }

  template <typename BindEntry>
  std::int64_t storeInEmpty(const std::string &key, const BindEntry &bindEntry)
  {
    const std::int64_t earlier = keys_.find(key, [this](std::int64_t id, std::string_view candidate) {
      auto stored = db_.query("SELECT url_key FROM entries WHERE id = ?1");
      stored->bind(1, id);
      return stored->step() && stored->textView(0) == candidate;
    });
    if (earlier != 0) {
      auto update = db_.query(updateSql);
      bindEntry(*update);
      update->bind(18, earlier);
      return update->step() ? update->integer(0) : 0;
    }
    {
      auto insert = db_.query(insertSql);
      bindEntry(*insert);
      insert->run();
    }
    const std::int64_t id = db_.lastInsertRowid();
    keys_.add(key, id);
    return id;
  }

  // Keeps the indexed texts of an older entry the first time this import changes them.
  void rememberIndexedTexts(const std::string &key, const CatalogueEntry &next)
  {
    if (lastOldId_ == 0) return;  // nothing older to keep
    auto old = db_.query("SELECT id, name, format, location, genre FROM entries WHERE url_key = ?1");
    old->bind(1, key);
    if (!old->step() || old->integer(0) > lastOldId_) return;
    if (old->textView(1) == next.name && old->textView(2) == next.format &&
        old->textView(3) == next.location && old->textView(4) == next.genre)
      return;
    auto keep = db_.query("INSERT OR IGNORE INTO temp.text_changed VALUES (?1, ?2, ?3, ?4, ?5)");
    keep->bind(1, old->integer(0))
        .bind(2, old->textView(1))
        .bind(3, old->textView(2))
        .bind(4, old->textView(3))
        .bind(5, old->textView(4))
        .run();
  }

  Database &db_;
  Transaction transaction_;
  std::int64_t lastOldId_ = 0;
  // Into an empty catalogue with no index by address until finish(): keys_ finds addresses met twice.
  bool intoEmpty_ = false;
  ImportedKeys keys_;
  std::vector<std::string> failedAtSource_;
};

std::ifstream openFile(const std::string &path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return in;
}

CsvReader csvWithColumns(std::istream &in, const std::string &path,
                         std::initializer_list<const char *> required)
{
  CsvReader reader(in, path);
  for (const char *column : required) {
    if (!reader.hasColumn(column)) throw std::runtime_error(path + ": no column \"" + column + "\"");
  }
  return reader;
}

// show_id -> title and url -> show_id from the files beside a clips file, when they exist.
std::map<std::string, std::string> clipShows(const std::string &clipsPath)
{
  namespace fs = std::filesystem;
  const fs::path clips(clipsPath);
  const fs::path folder = clips.parent_path();
  const std::string stem = clips.stem().string();
  const fs::path provenancePath = folder / (stem + "_provenance.csv");
  const fs::path showsPath = folder / (stem + "_shows.csv");
  std::map<std::string, std::string> showByUrl;
  if (!fs::exists(provenancePath) || !fs::exists(showsPath)) return showByUrl;

  std::map<std::string, std::string> titleById;
  {
    auto in = openFile(showsPath.string());
    CsvReader shows = csvWithColumns(in, showsPath.string(), {"show_id", "show_title"});
    while (auto row = shows.next()) titleById[shows.field(*row, "show_id")] = shows.field(*row, "show_title");
  }
  auto in = openFile(provenancePath.string());
  CsvReader provenance = csvWithColumns(in, provenancePath.string(), {"url", "show_id"});
  while (auto row = provenance.next()) {
    const auto title = titleById.find(provenance.field(*row, "show_id"));
    if (title != titleById.end()) showByUrl[provenance.field(*row, "url")] = title->second;
  }
  return showByUrl;
}

}  // namespace

std::string streamKey(const std::string &url)
{
  const auto scheme = url.find("://");
  if (scheme == std::string::npos || scheme == 0) return {};
  std::string schemeName = url.substr(0, scheme);
  std::transform(schemeName.begin(), schemeName.end(), schemeName.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  const auto hostBegin = scheme + 3;
  const auto hostEnd = std::min(url.find_first_of("/?#", hostBegin), url.size());
  std::string host = url.substr(hostBegin, hostEnd - hostBegin);
  if (host.empty()) return {};
  std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return std::tolower(c); });
  if ((schemeName == "http" && host.size() > 3 && host.compare(host.size() - 3, 3, ":80") == 0))
    host.resize(host.size() - 3);
  else if (schemeName == "https" && host.size() > 4 && host.compare(host.size() - 4, 4, ":443") == 0)
    host.resize(host.size() - 4);
  std::string rest = url.substr(hostEnd);
  rest = rest.substr(0, rest.find('#'));
  const auto query = rest.find('?');
  std::string path = rest.substr(0, query);
  while (!path.empty() && path.back() == '/') path.pop_back();
  return host + path + (query == std::string::npos ? std::string() : rest.substr(query));
}

namespace {

// Reads a catalogue CSV file: every row becomes one entry, filled from its fields by fill(csv, row, writer,
// entry).
template <typename Fill>
ImportCount importCsvRows(Database &db, const std::string &path, std::initializer_list<const char *> required,
                          Fill fill)
{
  auto in = openFile(path);
  CsvReader csv = csvWithColumns(in, path, required);
  EntryWriter writer(db);
  ImportCount count;
  while (auto row = csv.next()) {
    NewEntry entry;
    fill(csv, *row, writer, entry);
    writer.add(std::move(entry), count);
  }
  writer.finish();
  return count;
}

}  // namespace

ImportCount importStations(Database &db, const std::string &path)
{
  return importCsvRows(db, path, {"name", "stream_url"},
                       [](const CsvReader &csv, const auto &row, EntryWriter &, NewEntry &entry) {
                         entry.kind = EntryKind::Radio;
                         entry.name = csv.field(row, "name");
                         entry.url = csv.field(row, "stream_url");
                         entry.homepage = csv.field(row, "homepage");
                         entry.genre = csv.field(row, "tags");
                         entry.country = csv.field(row, "country");
                         entry.state = csv.field(row, "state");
                         entry.codec = csv.field(row, "codec");
                         entry.bitrate = wholeNumber(csv.field(row, "bitrate"));
                       });
}

ImportCount importTelevision(Database &db, const std::string &path)
{
  return importCsvRows(db, path, {"name", "stream_url"},
                       [](const CsvReader &csv, const auto &row, EntryWriter &, NewEntry &entry) {
                         entry.kind = EntryKind::Television;
                         entry.name = csv.field(row, "name");
                         entry.url = csv.field(row, "stream_url");
                         entry.homepage = csv.field(row, "homepage");
                         entry.genre = csv.field(row, "category");
                         entry.country = csv.field(row, "country");
                       });
}

ImportCount importClips(Database &db, const std::string &path)
{
  const auto showByUrl = clipShows(path);
  return importCsvRows(
      db, path, {"title", "url"},
      [&showByUrl](const CsvReader &csv, const auto &row, EntryWriter &writer, NewEntry &entry) {
        entry.kind = EntryKind::Clip;
        entry.name = csv.field(row, "title");
        entry.url = csv.field(row, "url");
        entry.duration = wholeNumber(csv.field(row, "duration_seconds"));
        entry.bitrate = wholeNumber(csv.field(row, "bitrate"));
        entry.homepage = csv.field(row, "homepage");
        std::string show = csv.field(row, "show");
        if (show.empty()) {
          const auto found = showByUrl.find(entry.url);
          if (found != showByUrl.end()) show = found->second;
        }
        const std::string tags = csv.field(row, "tags");
        entry.genre = show.empty() ? tags : (tags.empty() ? clean(show) : clean(show) + "," + tags);
        entry.showId = writer.showId(show);
      });
}

namespace {

ImportCount importPlaylist(Database &db, const std::vector<PlaylistItem> &items)
{
  EntryWriter writer(db);
  ImportCount count;
  for (const auto &item : items) {
    NewEntry entry;
    entry.kind = EntryKind::Radio;
    entry.name = item.name;
    entry.url = item.url;
    entry.genre = item.genre;
    writer.add(std::move(entry), count);
  }
  writer.finish();
  return count;
}

}  // namespace

ImportCount importM3u(Database &db, const std::string &path)
{
  auto in = openFile(path);
  return importPlaylist(db, readM3u(in));
}

ImportCount importPls(Database &db, const std::string &path)
{
  auto in = openFile(path);
  return importPlaylist(db, readPls(in));
}

namespace {

// A public directory's list: live radio, each station read as the list streams in. Stations the
// directory's own check found failing start with one failed check.
ImportCount importPublicList(Database &db, const std::string &path,
                             void (*read)(std::istream &, const std::string &, const PublicStationSink &))
{
  auto in = openFile(path);
  EntryWriter writer(db);
  ImportCount count;
  std::vector<std::string> failing;
  read(in, path, [&](const PublicStation &station) {
    NewEntry entry;
    entry.kind = EntryKind::Radio;
    entry.name = station.name;
    entry.url = station.url;
    entry.homepage = station.homepage;
    entry.genre = station.tags;
    entry.country = station.country;
    entry.state = station.state;
    entry.codec = station.codec;
    entry.bitrate = station.bitrate > 0 && station.bitrate < 100000 ? station.bitrate : 0;
    if (station.lastCheckFailed) failing.push_back(streamKey(clean(station.url)));
    writer.add(std::move(entry), count);
  });
  writer.markFailedAtSource(std::move(failing));
  writer.finish();
  return count;
}

}  // namespace

ImportCount importFile(Database &db, ImportSource source, const std::string &path)
{
  switch (source) {
    case ImportSource::Stations:
      return importStations(db, path);
    case ImportSource::Television:
      return importTelevision(db, path);
    case ImportSource::Clips:
      return importClips(db, path);
    case ImportSource::M3u:
      return importM3u(db, path);
    case ImportSource::Pls:
      return importPls(db, path);
    case ImportSource::RadioBrowser:
      return importPublicList(db, path, readRadioBrowserStations);
    case ImportSource::IcecastYp:
      return importPublicList(db, path, readIcecastYpStations);
  }
  return {};
}

}  // namespace tessivar::directory
