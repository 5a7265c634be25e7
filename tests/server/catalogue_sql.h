#pragma once

#include "support/directory_fixture.h"
#include "support/pg_cluster.h"

#include <QString>

#include <sqlite3.h>

#include <optional>

// Direct looks into a catalogue, for tests that check what an import, an upgrade or a request stored.
namespace tessivar::test {

// Runs SQL statements on the catalogue; false (with a warning) when one fails.
inline bool executeOnCatalogue(const QString &database, const char *sql)
{
  sqlite3 *db = nullptr;
  bool ok = sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
  char *error = nullptr;
  if (ok && sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    qWarning("%s", error);
    ok = false;
  }
  sqlite3_free(error);
  sqlite3_close(db);
  return ok;
}

// Reads the first column of the first row of a query with read(statement); nothing when there is no row.
template <typename Read>
inline auto firstCell(const QString &database, const char *sql, Read read)
    -> std::optional<decltype(read(nullptr))>
{
  sqlite3 *db = nullptr;
  std::optional<decltype(read(nullptr))> value;
  if (sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
      value = read(statement);
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return value;
}

// The first column of the first row as a number, -1 on failure.
inline qint64 scalar(const QString &database, const char *sql)
{
  return firstCell(database, sql, [](sqlite3_stmt *statement) { return sqlite3_column_int64(statement, 0); })
      .value_or(-1);
}

// The first column of the first row as text, empty on failure.
inline QString text(const QString &database, const char *sql)
{
  return firstCell(
             database, sql,
             [](sqlite3_stmt *statement) {
               return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
             })
      .value_or(QString());
}

// The first column of the first row as text, from the fixture's catalogue on either backend.
inline QString storedText(const DirectoryFixture &directory, const char *sql)
{
  return directory.onPostgres() ? PgCluster::firstCell(directory.database(), QString::fromUtf8(sql))
                                : text(directory.database(), sql);
}

}  // namespace tessivar::test
