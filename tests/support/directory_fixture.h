#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class QTcpServer;

namespace tessivar::test {

struct HttpAnswer
{
  int status = 0;   // 0 when no answer came
  QByteArray head;  // status line and headers
  QByteArray body;
};

// A tessivar-directory of its own: a temporary catalogue, imported and served by the real binary.
// The catalogue is an SQLite file, or with TESSIVAR_DIRECTORY_BACKEND=postgresql (or when asked
// for) a fresh database in the test program's own PostgreSQL cluster (see pg_cluster.h); without
// PostgreSQL installed the test then exits as skipped (77).
class DirectoryFixture
{
 public:
  enum class Backend { FromEnvironment, Sqlite, PostgreSql };

  explicit DirectoryFixture(Backend backend = Backend::FromEnvironment);
  ~DirectoryFixture();

  QString folder() const { return dir_.path(); }
  // The --db value: the SQLite file's path or the database's postgresql:// address.
  QString database() const;
  bool onPostgres() const { return !postgres_.isEmpty(); }
  // Writes a file into the temporary folder and returns its path.
  QString writeFile(const QString &name, const QByteArray &content) const;

  // Runs "tessivar-directory ARGS"; returns the exit code (-1 when it did not finish) and its output.
  static int run(const QStringList &arguments, QByteArray *output = nullptr);
  // Imports into database() with the given options ("--stations", path, ...).
  bool import(const QStringList &options) const;

  // Starts "serve --port 0" on database() and waits for the port it prints. With
  // TESSIVAR_DIRECTORY_PROXY=nginx in the environment, nginx with server/nginx/tessivar-directory.conf
  // stands in front of it and port() is nginx's; without nginx installed the test exits as skipped (77).
  bool start(const QStringList &extra = {});
  quint16 port() const { return port_; }
  bool viaProxy() const { return proxy_ != nullptr; }

  // One more "serve --port 0" on database() (without a proxy); its port, 0 when it did not start.
  // The first one started is the one port() names until a proxy starts.
  quint16 startServer(const QStringList &extra = {});
  // SIGKILL to the server started as the index-th (0 = the first).
  bool killServer(int index);
  // nginx with the shipped configuration file (server/nginx/NAME), its listen port made free and
  // its upstreams 127.0.0.1:8437, :8438, ... pointed at the given ports; port() becomes nginx's.
  bool startProxy(const QString &configuration, const QList<quint16> &upstreams);

  // GET target ("/path?query", sent byte for byte as given) over HTTP/1.0, from port() or the given port.
  HttpAnswer get(const QByteArray &target, quint16 port = 0) const;
  // The result names of the page at target (a warning when it does not answer 200).
  QStringList namesAt(const QByteArray &target) const;

  // The small catalogue the endpoint tests share: stations, a TV channel, clips of two shows.
  bool importSampleCatalogue() const;

 private:
  QTemporaryDir dir_;
  QString postgres_;  // the database's address when the catalogue is on PostgreSQL

  std::vector<std::unique_ptr<QProcess>> servers_;
  std::unique_ptr<QProcess> proxy_;
  quint16 port_ = 0;
};

// An HTTP relay in the test process in front of a directory: every request it receives, as a proxy
// (absolute address, whatever host it names) or directly (origin form), goes to the directory's
// port on 127.0.0.1, one request per connection. The answer is passed on whole, or in small
// blocks up to the end of a given number of result anchors, where it waits for release(): then it
// goes on to its end (HoldAfterAnchors) or the connection is reset (DropAfterAnchors).
class DirectoryRelay
{
 public:
  enum class Mode { Pass, HoldAfterAnchors, DropAfterAnchors };

  explicit DirectoryRelay(quint16 directoryPort);
  ~DirectoryRelay();
  DirectoryRelay(const DirectoryRelay &) = delete;
  DirectoryRelay &operator=(const DirectoryRelay &) = delete;

  bool listen();
  quint16 port() const;

  // For the connections that follow.
  void setMode(Mode mode, int anchors = 0, int blockSize = 64);
  // Lets every waiting answer go on (or be cut off).
  void release();
  // Answers waiting at their hold point right now.
  int heldAnswers() const;
  // The request lines received, as the client sent them.
  QList<QByteArray> requestLines() const { return requestLines_; }

 private:
  class Connection;
  friend class Connection;

  quint16 directoryPort_;
  std::unique_ptr<QTcpServer> server_;
  Mode mode_ = Mode::Pass;
  int anchors_ = 0;
  int blockSize_ = 64;
  QList<QByteArray> requestLines_;
  QList<QPointer<Connection>> connections_;
};

// The anchors of a result page: address and anchor text.
struct Anchor
{
  QString address;
  QString text;
};
QList<Anchor> anchorsOf(const QByteArray &page);
QStringList namesOf(const QByteArray &page);

QString directoryBinary();
QString nginxBinary();  // empty when nginx is not installed

}  // namespace tessivar::test
