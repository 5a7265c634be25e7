#pragma once

#include "server/sql_statement.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct pg_conn;
struct pg_result;

namespace tessivar::directory {

// Values of a statement's $1, $2, ... in PostgreSQL's text form; nullopt is NULL.
using PgParams = std::vector<std::optional<std::string>>;

inline std::optional<std::string> pgValue(std::int64_t value)
{
  return std::to_string(value);
}

// An array literal ({"a","b"}) for a text[] parameter.
std::string pgTextArray(const std::vector<std::string> &values);

// One result, freed with the object. Values are read in text form.
class PgResult
{
 public:
  explicit PgResult(pg_result *result = nullptr) : result_(result) {}
  ~PgResult();
  PgResult(PgResult &&other) noexcept : result_(other.result_) { other.result_ = nullptr; }
  PgResult &operator=(PgResult &&other) noexcept;
  PgResult(const PgResult &) = delete;
  PgResult &operator=(const PgResult &) = delete;

  int rows() const;
  std::string_view text(int row, int column) const;  // valid while the result lives
  std::int64_t integer(int row, int column) const;   // 0 for NULL

 private:
  pg_result *result_ = nullptr;
};

class PgConnection;

// A statement of one connection, run in single-row mode: rows are handed over as they arrive, so a long
// answer (list all) never sits whole in memory.
class PgStatement final : public SqlStatement
{
 public:
  PgStatement(PgConnection &connection, const char *sql) : connection_(connection), sql_(sql) {}
  PgStatement &bind(int index, std::string_view text) override;
  PgStatement &bind(int index, std::int64_t value) override;
  bool step() override;
  void reset() override;
  std::int64_t integer(int column) const override { return row_.integer(0, column); }
  std::string_view textView(int column) const override { return row_.text(0, column); }

 private:
  PgConnection &connection_;
  const char *sql_;
  PgParams params_;
  PgResult row_;
  bool started_ = false;
  bool done_ = false;
};

// One connection, used by one thread at a time. Statements are prepared on first use and kept for
// the connection's life; values only ever reach SQL as parameters.
class PgConnection final : public SqlSession
{
 public:
  explicit PgConnection(const std::string &address);
  ~PgConnection() override;
  PgConnection(const PgConnection &) = delete;
  PgConnection &operator=(const PgConnection &) = delete;

  // Fixed SQL text (schema, transactions); never built from request data.
  void execute(const char *sql);
  SqlQuery statement(const char *sql) override;
  std::string catalogueName() const override { return address_; }
  // Sends the statement for its rows to be read one at a time with nextRow().
  void sendForRows(const char *sql, const PgParams &params);
  // The next row as a result of one row; an empty result once all are read.
  PgResult nextRow();
  // Stops the rows under way and reads what is left of them.
  void cancelRows();
  // COPY ... FROM STDIN with the rows in COPY's text format (see pgCopyField), block by block: next
  // replaces the block with the following rows and returns false once there are none. A throw from
  // next ends the COPY unfinished and goes on.
  void copyIn(const char *copySql, const std::function<bool(std::string &block)> &next);
  // Fit to go back to a pool: connected, and no transaction left open.
  bool reusable() const;
  // False once the connection to the server is lost.
  bool connected() const;

 private:
  const std::string &prepared(const char *sql, int parameterCount);
  [[noreturn]] void fail(const char *what) const;

  std::string address_;
  pg_conn *conn_ = nullptr;
  std::unordered_map<std::string, std::string> statements_;  // SQL text -> statement name
  std::unordered_map<const char *, std::unique_ptr<PgStatement>> rowStatements_;
};

// A text field for COPY's text format: backslash, tab, line feed and carriage return escaped.
void pgCopyField(std::string &line, std::string_view text);

// BEGIN ... COMMIT; rolls back when left without commit().
class PgTransaction
{
 public:
  explicit PgTransaction(PgConnection &connection);
  ~PgTransaction();
  PgTransaction(const PgTransaction &) = delete;
  PgTransaction &operator=(const PgTransaction &) = delete;
  void commit();

 private:
  PgConnection &connection_;
  bool open_ = true;
};

}  // namespace tessivar::directory
