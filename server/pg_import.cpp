#include "server/pg_import.h"

#include "server/catalogue_schema.h"
#include "server/folded_text.h"
#include "server/pg_connection.h"
#include "server/result_page.h"
#include "server/sqlite_db.h"

#include <QString>

#include <algorithm>
#include <vector>

namespace tessivar::directory {

namespace {

constexpr const char *stageTable = R"sql(
CREATE TEMPORARY TABLE import_stage (
  seq bigint NOT NULL, kind integer NOT NULL, url_key text COLLATE "C" NOT NULL, url text NOT NULL,
  name text COLLATE "C" NOT NULL, format text NOT NULL, family integer NOT NULL, location text NOT NULL,
  state text NOT NULL, country text NOT NULL, genre text NOT NULL, homepage text NOT NULL,
  bitrate bigint NOT NULL, duration bigint NOT NULL, show_title text COLLATE "C", initial text COLLATE "C" NOT NULL,
  page_head text NOT NULL, page_tail text NOT NULL, fold_name text NOT NULL, fold_format text NOT NULL,
  fold_location text NOT NULL, fold_genre text NOT NULL, fold_all text NOT NULL
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
  page_tail = s.page_tail, fold_name = s.fold_name, fold_format = s.fold_format,
  fold_location = s.fold_location, fold_genre = s.fold_genre, fold_all = s.fold_all
FROM import_stage s LEFT JOIN shows sh ON sh.title = s.show_title
WHERE e.url_key = s.url_key
  AND (e.kind, e.url, e.name, e.format, e.family, e.location, e.state, e.country, e.genre, e.homepage,
       e.bitrate, e.duration, e.show_id, e.initial)
      IS DISTINCT FROM (s.kind, s.url, s.name, s.format, s.family, s.location, s.state, s.country, s.genre,
                        s.homepage, s.bitrate, s.duration, sh.id, s.initial)
)sql";

constexpr const char *insertNew = R"sql(
INSERT INTO entries (id, kind, url_key, url, name, format, family, location, state, country, genre, homepage,
                     bitrate, duration, show_id, initial, page_head, page_tail, fold_name, fold_format,
                     fold_location, fold_genre, fold_all)
SELECT (SELECT coalesce(max(id), 0) FROM entries) + row_number() OVER (ORDER BY s.seq), s.kind, s.url_key,
       s.url, s.name, s.format, s.family, s.location, s.state, s.country, s.genre, s.homepage, s.bitrate,
       s.duration, sh.id, s.initial, s.page_head, s.page_tail, s.fold_name, s.fold_format, s.fold_location,
       s.fold_genre, s.fold_all
FROM import_stage s LEFT JOIN shows sh ON sh.title = s.show_title
WHERE NOT EXISTS (SELECT 1 FROM entries e WHERE e.url_key = s.url_key)
ORDER BY s.seq
)sql";

constexpr const char *orderTable =
    "CREATE TEMPORARY TABLE name_orders (id bigint NOT NULL, name_order bigint NOT NULL) ON COMMIT DROP";

ImportCount importIntoStage(Database &stage, ImportSource source, const std::string &path)
{
  switch (source) {
    case ImportSource::Stations:
      return importStations(stage, path);
    case ImportSource::Television:
      return importTelevision(stage, path);
    case ImportSource::Clips:
      return importClips(stage, path);
    case ImportSource::M3u:
      return importM3u(stage, path);
    case ImportSource::Pls:
      return importPls(stage, path);
  }
  return {};
}

void addField(std::string &line, std::string_view text)
{
  if (!line.empty() && line.back() != '\n') line += '\t';
  pgCopyField(line, text);
}

// The staged entries in COPY's text format, with their derived data.
std::string stagedRows(Database &stage)
{
  std::string rows;
  auto statement = stage.query(
      "SELECT e.id, e.kind, e.url_key, e.url, e.name, e.format, e.family, e.location, e.state, e.country,"
      " e.genre, e.homepage, e.bitrate, e.duration, s.title, e.initial"
      " FROM entries e LEFT JOIN shows s ON s.id = e.show_id ORDER BY e.id");
  while (statement->step()) {
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
    for (const std::string &text : folded) addField(line, text);
    addField(line, folded[0] + '\n' + folded[1] + '\n' + folded[2] + '\n' + folded[3]);
    rows += line;
    rows += '\n';
  }
  return rows;
}

struct Named
{
  std::int64_t id = 0;
  std::int64_t order = 0;
  QString name;
};

// name_order for every entry: by name ignoring case, then number (as the SQLite catalogue has it).
void refreshNameOrder(PgConnection &connection)
{
  std::vector<Named> named;
  {
    const PgResult rows = connection.query("SELECT id, name_order, name FROM entries");
    named.reserve(static_cast<std::size_t>(rows.rows()));
    for (int row = 0; row < rows.rows(); ++row) {
      const std::string_view name = rows.text(row, 2);
      named.push_back({rows.integer(row, 0), rows.integer(row, 1),
                       QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))});
    }
  }
  std::sort(named.begin(), named.end(), [](const Named &a, const Named &b) {
    const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
    return byName != 0 ? byName < 0 : a.id < b.id;
  });
  std::string changed;
  for (std::size_t i = 0; i < named.size(); ++i) {
    const auto order = static_cast<std::int64_t>(i) + 1;
    if (named[i].order != order) changed += std::to_string(named[i].id) + '\t' + std::to_string(order) + '\n';
  }
  if (changed.empty()) return;
  connection.execute(orderTable);
  connection.copyIn("COPY name_orders FROM STDIN", changed);
  connection.execute("UPDATE entries e SET name_order = o.name_order FROM name_orders o WHERE e.id = o.id");
}

}  // namespace

ImportCount importIntoPg(PgConnection &connection, ImportSource source, const std::string &path)
{
  // An empty path is a private temporary SQLite database.
  auto stage = openCatalogue(std::string());
  const ImportCount count = importIntoStage(*stage, source, path);
  const std::string rows = stagedRows(*stage);
  stage.reset();

  PgTransaction transaction(connection);
  // One import at a time: numbers are taken from the highest one. Readers are not held up.
  connection.execute("LOCK TABLE entries IN SHARE ROW EXCLUSIVE MODE");
  connection.execute(stageTable);
  connection.copyIn(copyStage, rows);
  connection.execute(addShows);
  connection.execute(updateChanged);
  connection.execute(insertNew);
  refreshNameOrder(connection);
  connection.execute("UPDATE catalogue_state SET generation = generation + 1");
  transaction.commit();
  connection.execute("ANALYZE entries");
  return count;
}

}  // namespace tessivar::directory
