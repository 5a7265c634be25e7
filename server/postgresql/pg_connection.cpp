#include "server/postgresql/pg_connection.h"

#include "server/catalogue_backend.h"

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>

namespace tessivar::directory {

std::string pgTextArray(const std::vector<std::string> &values)
{
  std::string text = "{";
  for (const std::string &value : values) {
    if (text.size() > 1) text += ',';
    text += '"';
    for (const char c : value) {
      if (c == '"' || c == '\\') text += '\\';
      text += c;
    }
    text += '"';
  }
  return text + '}';
}

void pgCopyField(std::string &line, std::string_view text)
{
  for (const char c : text) {
    switch (c) {
      case '\\':
        line += "\\\\";
        break;
      case '\t':
        line += "\\t";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      default:
        line += c;
    }
  }
}

PgResult::~PgResult()
{
  PQclear(result_);
}

PgResult &PgResult::operator=(PgResult &&other) noexcept
{
  if (this != &other) {
    PQclear(result_);
    result_ = other.result_;
    other.result_ = nullptr;
  }
  return *this;
}

int PgResult::rows() const
{
  return result_ ? PQntuples(result_) : 0;
}

std::string_view PgResult::text(int row, int column) const
{
  return {PQgetvalue(result_, row, column), static_cast<std::size_t>(PQgetlength(result_, row, column))};
}

std::int64_t PgResult::integer(int row, int column) const
{
  const std::string_view value = text(row, column);
  std::int64_t number = 0;
  std::from_chars(value.data(), value.data() + value.size(), number);
  return number;
}

PgConnection::PgConnection(const std::string &address)
    : address_(address), conn_(PQconnectdb(address.c_str()))
{
  if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
    const std::string message = conn_ ? PQerrorMessage(conn_) : "out of memory";
    PQfinish(conn_);
    conn_ = nullptr;
    throw DatabaseError("cannot connect to PostgreSQL: " + message);
  }
  // Notices (e.g. "already exists, skipping") are not for the log.
  PQsetNoticeProcessor(
      conn_, [](void *, const char *) {}, nullptr);
  try {
    execute("SET client_encoding = 'UTF8'");
    // The statements are the same every time and their plans do not depend on the values (the
    // trigram index is right for any pattern): plan once, not at every execution.
    execute("SET plan_cache_mode = force_generic_plan");
  } catch (const DatabaseError &) {
    PQfinish(conn_);  // the destructor does not run for an object never made
    throw;
  }
}

PgConnection::~PgConnection()
{
  PQfinish(conn_);
}

void PgConnection::fail(const char *what) const
{
  throw DatabaseError(std::string(what) + ": " + PQerrorMessage(conn_));
}

bool PgConnection::connected() const
{
  return PQstatus(conn_) == CONNECTION_OK;
}

bool PgConnection::reusable() const
{
  return PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_IDLE;
}

namespace {

bool succeeded(const PGresult *result)
{
  const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_SINGLE_TUPLE;
}

struct ParamPointers
{
  std::vector<const char *> values;
  explicit ParamPointers(const PgParams &params)
  {
    values.reserve(params.size());
    for (const auto &param : params) values.push_back(param ? param->c_str() : nullptr);
  }
};

}  // namespace

void PgConnection::execute(const char *sql)
{
  PGresult *result = PQexec(conn_, sql);
  const bool ok = succeeded(result);
  PQclear(result);
  if (!ok) fail("execute");
}

const std::string &PgConnection::prepared(const char *sql, int parameterCount)
{
  const auto found = statements_.find(sql);
  if (found != statements_.end()) return found->second;
  std::string name = "s" + std::to_string(statements_.size() + 1);
  PGresult *result = PQprepare(conn_, name.c_str(), sql, parameterCount, nullptr);
  const bool ok = succeeded(result);
  PQclear(result);
  if (!ok) fail("prepare");
  return statements_.emplace(sql, std::move(name)).first->second;
}

void PgConnection::sendForRows(const char *sql, const PgParams &params)
{
  const std::string &name = prepared(sql, static_cast<int>(params.size()));
  const ParamPointers pointers(params);
  if (!PQsendQueryPrepared(conn_, name.c_str(), static_cast<int>(params.size()), pointers.values.data(),
                           nullptr, nullptr, 0))
    fail("query");
  PQsetSingleRowMode(conn_);
}

PgResult PgConnection::nextRow()
{
  while (PGresult *raw = PQgetResult(conn_)) {
    PgResult result(raw);
    if (!succeeded(raw)) {
      const std::string error = PQresultErrorMessage(raw);
      // Every result is read to the end, so the connection is ready for the next statement.
      while (PGresult *rest = PQgetResult(conn_)) PQclear(rest);
      throw DatabaseError("query: " + error);
    }
    if (PQresultStatus(raw) == PGRES_SINGLE_TUPLE) return result;
  }
  return PgResult();
}

void PgConnection::cancelRows()
{
  // Most answers are short and have arrived: reading them is cheaper than a cancel, which opens a
  // connection of its own.
  for (int row = 0; row < 64; ++row) {
    PGresult *rest = PQgetResult(conn_);
    if (!rest) return;
    PQclear(rest);
  }
  if (PGcancel *cancel = PQgetCancel(conn_)) {
    char buffer[256];
    PQcancel(cancel, buffer, sizeof buffer);
    PQfreeCancel(cancel);
  }
  while (PGresult *rest = PQgetResult(conn_)) PQclear(rest);
}

SqlQuery PgConnection::statement(const char *sql)
{
  auto &statement = rowStatements_[sql];
  if (!statement) statement = std::make_unique<PgStatement>(*this, sql);
  return SqlQuery(*statement);
}

PgStatement &PgStatement::bind(int index, std::string_view text)
{
  if (params_.size() < static_cast<std::size_t>(index)) params_.resize(static_cast<std::size_t>(index));
  params_[static_cast<std::size_t>(index) - 1] = std::string(text);
  return *this;
}

PgStatement &PgStatement::bind(int index, std::int64_t value)
{
  return bind(index, std::to_string(value));
}

bool PgStatement::step()
{
  if (!started_) {
    connection_.sendForRows(sql_, params_);
    started_ = true;
  }
  if (done_) return false;
  row_ = connection_.nextRow();
  done_ = row_.rows() == 0;
  return !done_;
}

void PgStatement::reset()
{
  if (started_ && !done_) connection_.cancelRows();
  started_ = done_ = false;
  params_.clear();
  row_ = PgResult();
}

void PgConnection::copyIn(const char *copySql, const std::function<bool(std::string &block)> &next)
{
  PGresult *start = PQexec(conn_, copySql);
  const bool ready = start && PQresultStatus(start) == PGRES_COPY_IN;
  PQclear(start);
  if (!ready) fail("copy");
  const auto drain = [this] {
    bool ok = true;
    while (PGresult *result = PQgetResult(conn_)) {
      ok = ok && succeeded(result);
      PQclear(result);
    }
    return ok;
  };
  std::string block;
  try {
    while (next(block)) {
      if (!block.empty() && PQputCopyData(conn_, block.data(), static_cast<int>(block.size())) != 1)
        fail("copy");
    }
  } catch (...) {
    PQputCopyEnd(conn_, "import stopped");
    drain();
    throw;
  }
  if (PQputCopyEnd(conn_, nullptr) != 1) fail("copy");
  bool ok = true;
  while (PGresult *result = PQgetResult(conn_)) {
    ok = ok && succeeded(result);
    PQclear(result);
  }
  if (!ok) fail("copy");
}

PgTransaction::PgTransaction(PgConnection &connection) : connection_(connection)
{
  connection_.execute("BEGIN");
}

PgTransaction::~PgTransaction()
{
  if (!open_) return;
  try {
    connection_.execute("ROLLBACK");
  } catch (const std::exception &) {
    // The connection has gone; the server ends the transaction itself.
  }
}

void PgTransaction::commit()
{
  connection_.execute("COMMIT");
  open_ = false;
}

}  // namespace tessivar::directory
