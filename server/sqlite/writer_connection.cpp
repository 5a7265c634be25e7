#include "server/sqlite/writer_connection.h"

#include "server/sqlite/catalogue_schema.h"
#include "server/sqlite/sqlite_db.h"
#include "server/worker_pool.h"

namespace tessivar::directory {

WriterConnection::WriterConnection(const std::string &path) : db_(openCatalogue(path)) {}

WriterConnection::~WriterConnection() = default;

void WriterConnection::write(const std::function<void(Database &)> &work)
{
  // Mostly waiting: for the writer before, or for another process's write (an import).
  const WorkerPool::Waiting waiting;
  const std::lock_guard lock(mutex_);
  work(*db_);
}

}  // namespace tessivar::directory
