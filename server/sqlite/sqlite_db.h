#pragma once

#include "server/sql_statement.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace tessivar::directory {

// One prepared statement. Values only ever reach SQL through bind().
class Statement final : public SqlStatement
{
 public:
  Statement(sqlite3 *db, std::string_view sql);
  ~Statement() override;
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;

  Statement &bind(int index, std::string_view text) override;
  Statement &bind(int index, std::int64_t value) override;
  Statement &bindNull(int index);
  bool step() override;
  void reset() override;

  std::int64_t integer(int column) const override;
  std::string_view textView(int column) const override;
  bool isNull(int column) const;

 private:
  sqlite3 *db_ = nullptr;
  sqlite3_stmt *stmt_ = nullptr;
};

using Query = Borrowed<Statement>;

// One SQLite connection, used by one thread at a time.
class Database final : public SqlSession
{
 public:
  explicit Database(const std::string &path);
  ~Database() override;
  Database(const Database &) = delete;
  Database &operator=(const Database &) = delete;

  // Runs fixed SQL text (schema, pragmas, transactions); never built from request data.
  void execute(const char *sql);
  // The statement for this SQL text, prepared on first use and kept for the connection's life.
  Query query(std::string_view sql);
  SqlQuery statement(const char *sql) override;
  std::string catalogueName() const override { return path(); }
  bool reusable() const { return true; }
  std::string path() const;              // the main database's file
  std::int64_t lastInsertRowid() const;  // the rowid of the last row an INSERT added on this connection
  // Defines (or redefines) a collating sequence for this connection: compare(a, b) < 0 when a sorts first.
  using Collation = int (*)(void *, int, const void *, int, const void *);
  void defineCollation(const char *name, Collation compare);

 private:
  Statement &prepared(std::string_view sql);

  sqlite3 *db_ = nullptr;
  // Found by the SQL text as given, without copying it into a string first.
  struct TextHash
  {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, std::unique_ptr<Statement>, TextHash, std::equal_to<>> statements_;
};

// BEGIN IMMEDIATE ... COMMIT; rolls back when left without commit().
class Transaction
{
 public:
  explicit Transaction(Database &db);
  ~Transaction();
  Transaction(const Transaction &) = delete;
  Transaction &operator=(const Transaction &) = delete;
  void commit();

 private:
  Database &db_;
  bool open_ = true;
};

}  // namespace tessivar::directory
