#include "server/postgresql/pg_import.h"

#include "server/folded_text.h"
#include "server/postgresql/pg_connection.h"
#include "server/result_page.h"
// The files are read by the SQLite catalogue's import into a private temporary catalogue first.
#include "server/sqlite/catalogue_import.h"
#include "server/sqlite/catalogue_schema.h"
#include "server/sqlite/sqlite_db.h"

#include <QString>

#include <cstdio>

namespace tessivar::directory {

namespace {

constexpr const char *stageTable = R"sql(
CREATE TEMPORARY TABLE import_stage (
  seq bigint NOT NULL, kind integer NOT NULL, url_key text COLLATE "C" NOT NULL, url text NOT NULL,
  name text COLLATE "C" NOT NULL, format text NOT NULL, family integer NOT NULL, location text NOT NULL,
  state text NOT NULL, country text NOT NULL, genre text NOT NULL, homepage text NOT NULL,
  bitrate bigint NOT NULL, duration bigint NOT NULL, show_title text COLLATE "C", initial text COLLATE "C" NOT NULL,
  page_head text NOT NULL, page_tail text NOT NULL, name_key text COLLATE "C" NOT NULL, fold_name text NOT NULL,
  fold_format text NOT NULL, fold_location text NOT NULL, fold_genre text NOT NULL, fold_all text NOT NULL,
  failed_at_source boolean NOT NULL
) ON COMMIT DROP
)sql";

constexpr const char *copyStage = "COPY import_stage FROM STDIN";

constexpr const char *addShows =
    "INSERT INTO shows (title) SELECT show_title FROM import_stage WHERE show_title IS NOT NULL"
    " GROUP BY show_title ORDER BY min(seq) ON CONFLICT (title) DO NOTHING";

// Changed entries only, as the SQLite import does; check_failed stays.
constexpr const char *updateChanged = R"sql(
UPDATE entries e SET kind = s.kind, url = s.url, name = s.name, format = s.format, family = s.family,
  location = s.location, state = s.state, country = s.country, genre = s.genre, homepage = s.homepage,
  bitrate = s.bitrate, duration = s.duration, show_id = sh.id, initial = s.initial, page_head = s.page_head,
  page_tail = s.page_tail
FROM import_stage s LEFT JOIN shows sh ON sh.title = s.show_title
WHERE e.url_key = s.url_key
  AND (e.kind, e.url, e.name, e.format, e.family, e.location, e.state, e.country, e.genre, e.homepage,
       e.bitrate, e.duration, e.show_id, e.initial)
      IS DISTINCT FROM (s.kind, s.url, s.name, s.format, s.family, s.location, s.state, s.country, s.genre,
                        s.homepage, s.bitrate, s.duration, sh.id, s.initial)
)sql";

constexpr const char *insertNew = R"sql(
INSERT INTO entries (id, kind, url_key, url, name, format, family, location, state, country, genre, homepage,
                     bitrate, duration, show_id, initial, page_head, page_tail)
SELECT (SELECT coalesce(max(id), 0) FROM entries) + row_number() OVER (ORDER BY s.seq), s.kind, s.url_key,
       s.url, s.name, s.format, s.family, s.location, s.state, s.country, s.genre, s.homepage, s.bitrate,
       s.duration, sh.id, s.initial, s.page_head, s.page_tail
FROM import_stage s LEFT JOIN shows sh ON sh.title = s.show_title
WHERE NOT EXISTS (SELECT 1 FROM entries e WHERE e.url_key = s.url_key)
ORDER BY s.seq
)sql";

// The stations the source's own check found failing start with one failed check, unless checked here.
constexpr const char *markFailedAtSource = R"sql(
UPDATE entries e SET check_failures = greatest(e.check_failures, 1), check_failed = 1, check_reason = $1
FROM import_stage s WHERE s.failed_at_source AND e.url_key = s.url_key AND e.checked_at IS NULL
)sql";

// What the keyword search reads, for the entries of the file that are new or changed.
constexpr const char *upsertMatch = R"sql(
INSERT INTO entry_match (id, kind, family, bitrate, duration, name_key, fold_name, fold_format, fold_location,
                         fold_genre, fold_all)
SELECT e.id, s.kind, s.family, s.bitrate, s.duration, s.name_key, s.fold_name, s.fold_format, s.fold_location,
       s.fold_genre, s.fold_all
FROM import_stage s JOIN entries e ON e.url_key = s.url_key
ON CONFLICT (id) DO UPDATE SET kind = excluded.kind, family = excluded.family, bitrate = excluded.bitrate,
  duration = excluded.duration, name_key = excluded.name_key, fold_name = excluded.fold_name,
  fold_format = excluded.fold_format, fold_location = excluded.fold_location, fold_genre = excluded.fold_genre,
  fold_all = excluded.fold_all
WHERE (entry_match.kind, entry_match.family, entry_match.bitrate, entry_match.duration, entry_match.name_key,
       entry_match.fold_name, entry_match.fold_format, entry_match.fold_location, entry_match.fold_genre,
       entry_match.fold_all)
      IS DISTINCT FROM (excluded.kind, excluded.family, excluded.bitrate, excluded.duration, excluded.name_key,
                        excluded.fold_name, excluded.fold_format, excluded.fold_location, excluded.fold_genre,
                        excluded.fold_all)
)sql";

void addField(std::string &line, std::string_view text)
{
  if (!line.empty() && line.back() != '\n') line += '\t';
  pgCopyField(line, text);
}

// The staged entries in COPY's text format, with their derived data, about a megabyte at a time: a
// large file's rows are never all in memory at once.
class StagedRows
{
 public:
  explicit StagedRows(Database &stage)
      : statement_(stage.query(
            "SELECT e.id, e.kind, e.url_key, e.url, e.name, e.format, e.family, e.location, e.state,"
            " e.country, e.genre, e.homepage, e.bitrate, e.duration, s.title, e.initial, e.check_failures > 0"
            " FROM entries e LEFT JOIN shows s ON s.id = e.show_id ORDER BY e.id"))
  {
  }

  bool next(std::string &rows)
  {
    rows.clear();
    // A statement stepped once more after its last row would start over.
    while (!done_ && rows.size() < blockSize) {
      if (statement_->step())
        addRow(rows);
      else
        done_ = true;
    }
    return !rows.empty();
  }

 private:
  static constexpr std::size_t blockSize = 1 << 20;

  void addRow(std::string &rows)
  {
    Query &statement = statement_;
    CatalogueEntry entry;
    entry.id = statement->integer(0);
    entry.kind = static_cast<int>(statement->integer(1));
    entry.url = statement->text(3);
    entry.name = statement->text(4);
    entry.format = statement->text(5);
    entry.family = static_cast<int>(statement->integer(6));
    entry.location = statement->text(7);
    entry.state = statement->text(8);
    entry.country = statement->text(9);
    entry.genre = statement->text(10);
    entry.homepage = statement->text(11);
    entry.bitrate = statement->integer(12);
    entry.duration = statement->integer(13);
    const std::string folded[] = {foldedField(entry.name), foldedField(entry.format),
                                  foldedField(entry.location), foldedTags(entry.genre)};
    std::string line;
    addField(line, std::to_string(entry.id));
    addField(line, std::to_string(entry.kind));
    addField(line, statement->textView(2));
    for (const std::string *text : {&entry.url, &entry.name, &entry.format}) addField(line, *text);
    addField(line, std::to_string(entry.family));
    for (const std::string *text :
         {&entry.location, &entry.state, &entry.country, &entry.genre, &entry.homepage})
      addField(line, *text);
    addField(line, std::to_string(entry.bitrate));
    addField(line, std::to_string(entry.duration));
    if (statement->isNull(14)) {
      line += "\t\\N";
    } else {
      addField(line, statement->textView(14));
    }
    addField(line, statement->textView(15));
    addField(line, resultLineHead(entry));
    addField(line, resultLineTail(entry));
    addField(line, pgNameKey(entry.name));
    for (const std::string &text : folded) addField(line, text);
    addField(line, folded[0] + '\n' + folded[1] + '\n' + folded[2] + '\n' + folded[3]);
    addField(line, statement->integer(16) != 0 ? "t" : "f");
    rows += line;
    rows += '\n';
  }

  Query statement_;
  bool done_ = false;
};

}  // namespace

std::string pgNameKey(std::string_view name)
{
  static constexpr char digits[] = "0123456789abcdef";
  const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  std::string key;
  key.reserve(static_cast<std::size_t>(text.size()) * 4);
  char16_t last = 0;
  for (const QChar c : text) {
    // As QString::compare(..., Qt::CaseInsensitive) folds: a low surrogate after a high one stands
    // for the low half of the folded code point.
    char16_t unit = c.unicode();
    if (QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(last))
      unit = QChar::lowSurrogate(QChar::toCaseFolded(QChar::surrogateToUcs4(last, unit)));
    else if (!QChar::isSurrogate(unit))
      unit = static_cast<char16_t>(QChar::toCaseFolded(static_cast<char32_t>(unit)));
    last = c.unicode();
    for (const int shift : {12, 8, 4, 0}) key += digits[(unit >> shift) & 0xF];
  }
  return key;
}

ImportCount importIntoPg(PgConnection &connection, ImportSource source, const std::string &path)
{
  // An empty path is a private temporary SQLite database.
  auto stage = openCatalogue(std::string());
  const ImportCount count = importFile(*stage, source, path);
  StagedRows rows(*stage);

  PgTransaction transaction(connection);
  // One import at a time: numbers are taken from the highest one. Readers are not held up.
  connection.execute("LOCK TABLE entries IN SHARE ROW EXCLUSIVE MODE");
  connection.execute(stageTable);
  connection.copyIn(copyStage, [&rows](std::string &block) { return rows.next(block); });
  connection.execute(addShows);
  connection.execute(updateChanged);
  connection.execute(insertNew);
  connection.execute(upsertMatch);
  connection.statement(markFailedAtSource)->bind(1, failedAtSourceReason).run();
  connection.execute("UPDATE catalogue_state SET generation = generation + 1");
  transaction.commit();
  // The trigram index takes new entries into a pending list that every search reads whole until it
  // is merged; merge it now, and give the planner fresh figures. Not needed for correctness, so a
  // refusal (another owner) only warns.
  try {
    connection.execute("VACUUM (ANALYZE) entry_match");
  } catch (const DatabaseError &error) {
    std::fprintf(stderr, "tessivar-directory: entry_match not vacuumed: %s\n", error.what());
  }
  return count;
}

}  // namespace tessivar::directory
