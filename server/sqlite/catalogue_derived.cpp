#include "server/sqlite/catalogue_derived.h"

#include "server/catalogue_entry.h"
#include "server/folded_text.h"
#include "server/result_page.h"
#include "server/sqlite/sqlite_db.h"

#include <QString>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessivar::directory {

namespace {

constexpr std::int64_t staleBatch = 2048;

// QString::compare(a, b, Qt::CaseInsensitive) of two UTF-8 texts, the order of name_order. Bytes are
// compared directly while both texts are ASCII (folding to lower case), which is what that comparison
// does there; at the first other byte it is left to QString.
int compareNames(void *, int lengthA, const void *a, int lengthB, const void *b)
{
  const auto *x = static_cast<const unsigned char *>(a);
  const auto *y = static_cast<const unsigned char *>(b);
  const int common = std::min(lengthA, lengthB);
  for (int i = 0; i < common; ++i) {
    if (x[i] >= 0x80 || y[i] >= 0x80) {
      const QString first = QString::fromUtf8(reinterpret_cast<const char *>(x), lengthA);
      const QString second = QString::fromUtf8(reinterpret_cast<const char *>(y), lengthB);
      return QString::compare(first, second, Qt::CaseInsensitive);
    }
    const int foldedX = (x[i] >= 'A' && x[i] <= 'Z') ? x[i] + 32 : x[i];
    const int foldedY = (y[i] >= 'A' && y[i] <= 'Z') ? y[i] + 32 : y[i];
    if (foldedX != foldedY) return foldedX - foldedY;
  }
  return lengthA - lengthB;
}

using NameOrders = std::vector<std::pair<std::int64_t, std::int64_t>>;  // id, name_order; by id

// Every entry's place by name (then id), from 1, sorted in memory: about 60 bytes an entry while it runs,
// and no call from SQLite's sorter to compare every pair.
NameOrders allNamesInOrder(Database &db)
{
  std::string names;  // all of them, one after the other
  struct Name
  {
    std::int64_t id;
    std::size_t begin;
    int length;
  };
  std::vector<Name> sorted;
  {
    auto rows = db.query("SELECT id, name FROM entries");
    while (rows->step()) {
      const std::string_view name = rows->textView(1);
      sorted.push_back({rows->integer(0), names.size(), static_cast<int>(name.size())});
      names.append(name);
    }
  }
  std::sort(sorted.begin(), sorted.end(), [&names](const Name &a, const Name &b) {
    const int order =
        compareNames(nullptr, a.length, names.data() + a.begin, b.length, names.data() + b.begin);
    return order != 0 ? order < 0 : a.id < b.id;
  });
  names = std::string();
  NameOrders orders;
  orders.reserve(sorted.size());
  for (std::size_t i = 0; i < sorted.size(); ++i)
    orders.emplace_back(sorted[i].id, static_cast<std::int64_t>(i + 1));
  sorted = std::vector<Name>();
  std::sort(orders.begin(), orders.end());
  return orders;
}

void refreshNameOrder(Database &db)
{
  // SQLite sorts all rows before it returns the first (no index has this order), in bounded memory. The
  // changed numbers are written afterwards in the order of the rows' ids, which walks the table once
  // instead of jumping to a random page for every row.
  db.defineCollation("name_order", compareNames);
  NameOrders changed;
  {
    auto rows = db.query(
        "SELECT m.id, m.name_order FROM entry_match m JOIN entries e ON e.id = m.id"
        " ORDER BY e.name COLLATE name_order, e.id");
    std::int64_t order = 0;
    while (rows->step()) {
      ++order;
      if (rows->integer(1) != order) changed.emplace_back(rows->integer(0), order);
    }
  }
  std::sort(changed.begin(), changed.end());
  for (const auto &[id, order] : changed) {
    auto update = db.query("UPDATE entry_match SET name_order = ?2 WHERE id = ?1");
    update->bind(1, id).bind(2, order).run();
  }
}

// An entry's numbers and texts as entry_match keeps them: ?1 id, ?2 kind, ?3 family, ?4 bitrate, ?5 duration,
// ?6 to ?9 the folded name, format, location and genre.
struct MatchValues
{
  std::int64_t id, kind, family, bitrate, duration;
  std::string_view name, format, location, genre;
};

void bindMatchValues(Statement &statement, const MatchValues &entry)
{
  statement.bind(1, entry.id)
      .bind(2, entry.kind)
      .bind(3, entry.family)
      .bind(4, entry.bitrate)
      .bind(5, entry.duration)
      .bind(6, foldedField(entry.name))
      .bind(7, foldedField(entry.format))
      .bind(8, foldedField(entry.location))
      .bind(9, foldedTags(entry.genre));
}

}  // namespace

void storeMatchRow(Database &db, const CatalogueEntry &entry)
{
  auto match = db.query(
      "INSERT INTO entry_match (id, kind, family, bitrate, duration, name_order, fold_name,"
      " fold_format, fold_location, fold_genre) VALUES (?1, ?2, ?3, ?4, ?5, 0, ?6, ?7, ?8, ?9)"
      " ON CONFLICT (id) DO UPDATE SET kind = excluded.kind, family = excluded.family,"
      " bitrate = excluded.bitrate, duration = excluded.duration, fold_name = excluded.fold_name,"
      " fold_format = excluded.fold_format, fold_location = excluded.fold_location,"
      " fold_genre = excluded.fold_genre");
  bindMatchValues(*match, {entry.id, entry.kind, entry.family, entry.bitrate, entry.duration, entry.name,
                           entry.format, entry.location, entry.genre});
  match->run();
}

void refreshDerivedColumns(Database &db)
{
  std::int64_t after = 0;
  for (;;) {
    std::vector<CatalogueEntry> stale;
    {
      auto rows = db.query(
          "SELECT id, url, name, format, location, genre, homepage, bitrate, kind, family, duration"
          " FROM entries WHERE id > ?1 AND page_head = '' ORDER BY id LIMIT ?2");
      rows->bind(1, after).bind(2, staleBatch);
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
    if (stale.empty()) break;
    after = stale.back().id;
    for (const auto &entry : stale) {
      {
        auto update = db.query("UPDATE entries SET page_head = ?2, page_tail = ?3 WHERE id = ?1");
        update->bind(1, entry.id).bind(2, resultLineHead(entry)).bind(3, resultLineTail(entry)).run();
      }
      storeMatchRow(db, entry);
    }
  }
  refreshNameOrder(db);
}

void fillMatchRows(Database &db)
{
  const NameOrders orders = allNamesInOrder(db);
  auto rows = db.query(
      "SELECT id, kind, family, bitrate, duration, name, format, location, genre FROM entries ORDER BY id");
  auto order = orders.begin();
  while (rows->step()) {
    const std::int64_t id = rows->integer(0);
    while (order != orders.end() && order->first < id) ++order;
    auto match = db.query(
        "INSERT INTO entry_match (id, kind, family, bitrate, duration, name_order, fold_name, fold_format,"
        " fold_location, fold_genre) VALUES (?1, ?2, ?3, ?4, ?5, ?10, ?6, ?7, ?8, ?9)");
    bindMatchValues(*match, {id, rows->integer(1), rows->integer(2), rows->integer(3), rows->integer(4),
                             rows->textView(5), rows->textView(6), rows->textView(7), rows->textView(8)});
    match->bind(10, order != orders.end() && order->first == id ? order->second : 0).run();
  }
}

}  // namespace tessivar::directory
