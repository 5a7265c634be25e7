#include "server/catalogue_derived.h"

#include "server/catalogue_entry.h"
#include "server/folded_text.h"
#include "server/result_page.h"
#include "server/sqlite_db.h"

#include <QString>

#include <algorithm>
#include <vector>

namespace tessivar::directory {

namespace {

struct Named
{
  std::int64_t id = 0;
  std::int64_t order = 0;
  QString name;
};

}  // namespace

void refreshDerivedColumns(Database &db)
{
  std::vector<CatalogueEntry> stale;
  {
    auto rows = db.query(
        "SELECT id, url, name, format, location, genre, homepage, bitrate, kind, family, duration"
        " FROM entries WHERE page_head = ''");
    while (rows->step()) {
      CatalogueEntry entry;
      entry.id = rows->integer(0);
      entry.url = rows->text(1);
      entry.name = rows->text(2);
      entry.format = rows->text(3);
      entry.location = rows->text(4);
      entry.genre = rows->text(5);
      entry.homepage = rows->text(6);
      entry.bitrate = rows->integer(7);
      entry.kind = static_cast<int>(rows->integer(8));
      entry.family = static_cast<int>(rows->integer(9));
      entry.duration = rows->integer(10);
      stale.push_back(std::move(entry));
    }
  }
  for (const auto &entry : stale) {
    {
      auto update = db.query("UPDATE entries SET page_head = ?2, page_tail = ?3 WHERE id = ?1");
      update->bind(1, entry.id).bind(2, resultLineHead(entry)).bind(3, resultLineTail(entry)).run();
    }
    auto match = db.query(
        "INSERT INTO entry_match (id, kind, family, bitrate, duration, name_order, fold_name,"
        " fold_format, fold_location, fold_genre) VALUES (?1, ?2, ?3, ?4, ?5, 0, ?6, ?7, ?8, ?9)"
        " ON CONFLICT (id) DO UPDATE SET kind = excluded.kind, family = excluded.family,"
        " bitrate = excluded.bitrate, duration = excluded.duration, fold_name = excluded.fold_name,"
        " fold_format = excluded.fold_format, fold_location = excluded.fold_location,"
        " fold_genre = excluded.fold_genre");
    match->bind(1, entry.id)
        .bind(2, static_cast<std::int64_t>(entry.kind))
        .bind(3, static_cast<std::int64_t>(entry.family))
        .bind(4, entry.bitrate)
        .bind(5, entry.duration)
        .bind(6, foldedField(entry.name))
        .bind(7, foldedField(entry.format))
        .bind(8, foldedField(entry.location))
        .bind(9, foldedTags(entry.genre))
        .run();
  }

  std::vector<Named> named;
  {
    auto rows =
        db.query("SELECT e.id, m.name_order, e.name FROM entries e JOIN entry_match m ON m.id = e.id");
    while (rows->step()) {
      const std::string_view name = rows->textView(2);
      named.push_back({rows->integer(0), rows->integer(1),
                       QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))});
    }
  }
  std::sort(named.begin(), named.end(), [](const Named &a, const Named &b) {
    const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
    return byName != 0 ? byName < 0 : a.id < b.id;
  });
  for (std::size_t i = 0; i < named.size(); ++i) {
    const auto order = static_cast<std::int64_t>(i) + 1;
    if (named[i].order == order) continue;
    auto update = db.query("UPDATE entry_match SET name_order = ?2 WHERE id = ?1");
    update->bind(1, named[i].id).bind(2, order).run();
  }
}

}  // namespace tessivar::directory
