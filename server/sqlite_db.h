#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace tessivar::directory {

// Any failure of the storage layer. Its text is for the operator's log, never for a client.
class DatabaseError : public std::runtime_error
{
 public:
  using std::runtime_error::runtime_error;
};

// One prepared statement. Values only ever reach SQL through bind().
class Statement
{
 public:
  Statement(sqlite3 *db, std::string_view sql);
  ~Statement();
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;

  Statement &bind(int index, std::string_view text);
  Statement &bind(int index, std::int64_t value);
  Statement &bindNull(int index);
  bool step();   // true while a row is ready
  void run();    // steps until done
  void reset();  // ready for the next use, bindings cleared

  std::int64_t integer(int column) const;
  std::string text(int column) const;
  std::string_view textView(int column) const;  // valid until the next step() or reset()
  bool isNull(int column) const;

 private:
  sqlite3 *db_ = nullptr;
  sqlite3_stmt *stmt_ = nullptr;
};

// A statement borrowed from a connection's cache; it is reset when the borrow ends, so no
// connection keeps a read snapshot open between requests.
class Query
{
 public:
  explicit Query(Statement &statement) : statement_(statement) {}
  ~Query() { statement_.reset(); }
  Query(const Query &) = delete;
  Query &operator=(const Query &) = delete;
  Statement *operator->() const { return &statement_; }
  Statement &operator*() const { return statement_; }

 private:
  Statement &statement_;
};

// One SQLite connection, used by one thread at a time.
class Database
{
 public:
  explicit Database(const std::string &path);
  ~Database();
  Database(const Database &) = delete;
  Database &operator=(const Database &) = delete;

  // Runs fixed SQL text (schema, pragmas, transactions); never built from request data.
  void execute(const char *sql);
  // The statement for this SQL text, prepared on first use and kept for the connection's life.
  Query query(std::string_view sql);
  std::int64_t changes() const;
  std::string path() const;  // the main database's file
  // Defines (or redefines) a collating sequence for this connection: compare(a, b) < 0 when a sorts first.
  using Collation = int (*)(void *, int, const void *, int, const void *);
  void defineCollation(const char *name, Collation compare);

 private:
  sqlite3 *db_ = nullptr;
  std::unordered_map<std::string, std::unique_ptr<Statement>> statements_;
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
