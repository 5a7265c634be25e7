#include "server/sqlite/sqlite_db.h"

#include "server/catalogue_backend.h"

#include <sqlite3.h>

#include <mutex>

namespace tessivar::directory {

namespace {

[[noreturn]] void fail(sqlite3 *db, const char *what)
{
  throw DatabaseError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

}  // namespace

Statement::Statement(sqlite3 *db, std::string_view sql) : db_(db)
{
  if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt_,
                         nullptr) != SQLITE_OK)
    fail(db, "prepare");
}

Statement::~Statement()
{
  sqlite3_finalize(stmt_);
}

Statement &Statement::bind(int index, std::string_view text)
{
  if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
      SQLITE_OK)
    fail(db_, "bind");
  return *this;
}

Statement &Statement::bind(int index, std::int64_t value)
{
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) fail(db_, "bind");
  return *this;
}

Statement &Statement::bindNull(int index)
{
  if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) fail(db_, "bind");
  return *this;
}

bool Statement::step()
{
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  fail(db_, "step");
}

void Statement::reset()
{
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::int64_t Statement::integer(int column) const
{
  return sqlite3_column_int64(stmt_, column);
}

std::string_view Statement::textView(int column) const
{
  const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
  if (!data) return {};
  return std::string_view(data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

bool Statement::isNull(int column) const
{
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

Database::Database(const std::string &path)
{
  // SQLite counts the memory it holds under one lock for the whole process, taken by every allocation
  // of every connection; nothing here reads the count. Must come before the first connection opens.
  static std::once_flag configured;
  std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw DatabaseError("cannot open " + path + ": " + message);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, 5000);
}

Database::~Database()
{
  statements_.clear();
  sqlite3_close(db_);
}

void Database::execute(const char *sql)
{
  char *error = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    throw DatabaseError(message);
  }
}

Statement &Database::prepared(std::string_view sql)
{
  auto found = statements_.find(sql);
  if (found == statements_.end())
    found = statements_.emplace(std::string(sql), std::make_unique<Statement>(db_, sql)).first;
  return *found->second;
}

Query Database::query(std::string_view sql)
{
  return Query(prepared(sql));
}

SqlQuery Database::statement(const char *sql)
{
  return SqlQuery(prepared(sql));
}

std::string Database::path() const
{
  const char *file = sqlite3_db_filename(db_, "main");
  return file ? file : "";
}

std::int64_t Database::lastInsertRowid() const
{
  return sqlite3_last_insert_rowid(db_);
}

void Database::defineCollation(const char *name, Collation compare)
{
  if (sqlite3_create_collation_v2(db_, name, SQLITE_UTF8, nullptr, compare, nullptr) != SQLITE_OK)
    fail(db_, "collation");
}

Transaction::Transaction(Database &db) : db_(db)
{
  db_.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
  if (open_) {
    try {
      db_.execute("ROLLBACK");
    } catch (const DatabaseError &) {
    }
  }
}

void Transaction::commit()
{
  db_.execute("COMMIT");
  open_ = false;
}

}  // namespace tessivar::directory
