#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace tessivar::directory {

class Database;

// The one connection that writes (sign-ups, search counts); writers take turns, readers never wait for it.
class WriterConnection
{
 public:
  explicit WriterConnection(const std::string &path);
  ~WriterConnection();
  void write(const std::function<void(Database &)> &work);

 private:
  std::mutex mutex_;
  std::unique_ptr<Database> db_;
};

}  // namespace tessivar::directory
