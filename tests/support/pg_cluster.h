#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

#include <memory>

namespace tessivar::test {

// A throwaway PostgreSQL cluster for one test program: initdb into a temporary folder, the server
// on a Unix socket in that folder only, no durability. Run as the "postgres" user when the tests
// run as root (PostgreSQL refuses root). Stopped (fast shutdown) and removed when the program ends,
// and stopped by the kernel should the program die first.
class PgCluster
{
 public:
  // The folder of initdb, postgres and psql; empty when PostgreSQL is not installed.
  static QString binaryFolder();
  // The program's cluster, started on first use; nullptr (with a warning) when it cannot start.
  static PgCluster *shared();
  // Stops the shared cluster now (before a quick exit).
  static void stopShared();

  ~PgCluster();
  PgCluster(const PgCluster &) = delete;
  PgCluster &operator=(const PgCluster &) = delete;

  // A new empty database; its postgresql:// address, empty on failure.
  QString createDatabase();
  // Runs SQL through psql on the database of the address; the first column of the first row.
  static QString firstCell(const QString &address, const QString &sql);

 private:
  PgCluster() = default;
  bool start();
  void stop();
  bool runTool(const QString &tool, const QStringList &arguments, QByteArray *output = nullptr) const;

  QTemporaryDir dir_;
  pid_t server_ = 0;
  int databases_ = 0;
};

}  // namespace tessivar::test
