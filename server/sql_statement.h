#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessivar::directory {

// One prepared statement, as the catalogue code shared by the backends uses it: values are bound by
// number from 1 and only ever reach SQL this way; columns are read by number from 0.
class SqlStatement
{
 public:
  virtual ~SqlStatement() = default;
  virtual SqlStatement &bind(int index, std::string_view text) = 0;
  virtual SqlStatement &bind(int index, std::int64_t value) = 0;
  virtual bool step() = 0;   // true while a row is ready
  virtual void reset() = 0;  // ready for the next use, bindings cleared
  virtual std::int64_t integer(int column) const = 0;
  virtual std::string_view textView(int column) const = 0;  // valid until the next step() or reset()
  std::string text(int column) const { return std::string(textView(column)); }
  void run()
  {
    while (step()) {
    }
  }
};

// A statement borrowed from a connection's cache; it is reset when the borrow ends, so no connection
// keeps a read open between requests.
template <typename Statement>
class Borrowed
{
 public:
  explicit Borrowed(Statement &statement) : statement_(statement) {}
  ~Borrowed() { statement_.reset(); }
  Borrowed(const Borrowed &) = delete;
  Borrowed &operator=(const Borrowed &) = delete;
  Statement *operator->() const { return &statement_; }
  Statement &operator*() const { return statement_; }

 private:
  Statement &statement_;
};

using SqlQuery = Borrowed<SqlStatement>;

// One connection to a catalogue's database, used by one thread at a time.
class SqlSession
{
 public:
  virtual ~SqlSession() = default;
  // The statement for this fixed SQL text (never built from request data), prepared on first use and kept
  // for the connection's life.
  virtual SqlQuery statement(const char *sql) = 0;
  // Names the catalogue, the same for every connection to it: what is kept in memory for it is found by it.
  virtual std::string catalogueName() const = 0;
};

}  // namespace tessivar::directory
