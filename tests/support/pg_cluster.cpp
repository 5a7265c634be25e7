#include "pg_cluster.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace tessivar::test {

namespace {

constexpr int socketPort = 5432;  // the socket lives in the cluster's own folder, so no clash

std::unique_ptr<PgCluster> &sharedCluster()
{
  static std::unique_ptr<PgCluster> cluster;
  return cluster;
}

// The user the cluster runs as: "postgres" when we are root, else ourselves (uid 0 = no change).
struct RunAs
{
  uid_t uid = 0;
  gid_t gid = 0;
};

RunAs clusterUser()
{
  if (geteuid() != 0) return {};
  const passwd *user = getpwnam("postgres");
  if (!user) return {};
  return {user->pw_uid, user->pw_gid};
}

// In a child about to exec: become the cluster's user; only async-signal-safe calls.
bool dropTo(const RunAs &user)
{
  if (user.uid == 0) return true;
  return setgroups(0, nullptr) == 0 && setgid(user.gid) == 0 && setuid(user.uid) == 0;
}

void chownTree(const QString &path, const RunAs &user)
{
  if (user.uid == 0) return;
  if (::chown(QFile::encodeName(path).constData(), user.uid, user.gid) != 0) return;
  for (const QString &entry : QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
    chownTree(path + u'/' + entry, user);
}

}  // namespace

QString PgCluster::binaryFolder()
{
  QStringList versions =
      QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  std::sort(versions.begin(), versions.end(),
            [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
  for (const QString &version : versions) {
    const QString bin = QStringLiteral("/usr/lib/postgresql/") + version + QStringLiteral("/bin");
    if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/postgres")))
      return bin;
  }
  return {};
}

PgCluster *PgCluster::shared()
{
  auto &cluster = sharedCluster();
  if (!cluster) {
    std::unique_ptr<PgCluster> started(new PgCluster);
    if (!started->start()) return nullptr;
    cluster = std::move(started);
  }
  return cluster.get();
}

void PgCluster::stopShared()
{
  sharedCluster().reset();
}

PgCluster::~PgCluster()
{
  stop();
}

bool PgCluster::runTool(const QString &tool, const QStringList &arguments, QByteArray *output) const
{
  QProcess process;
  const RunAs user = clusterUser();
  process.setChildProcessModifier([user] {
    if (!dropTo(user)) _exit(126);
  });
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setWorkingDirectory(dir_.path());
  process.start(binaryFolder() + u'/' + tool, arguments);
  const bool ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
                  process.exitCode() == 0;
  if (output) *output = process.readAll();
  if (!ok && !output) qWarning("%s failed: %s", qPrintable(tool), process.readAll().constData());
  return ok;
}

bool PgCluster::start()
{
  const RunAs user = clusterUser();
  if (geteuid() == 0 && user.uid == 0) {
    qWarning("PostgreSQL refuses to run as root and there is no postgres user");
    return false;
  }
  if (!dir_.isValid()) return false;
  chownTree(dir_.path(), user);
  const QString data = dir_.filePath(QStringLiteral("data"));
  if (!runTool(QStringLiteral("initdb"),
               {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                QStringLiteral("--locale=C.UTF-8"), QStringLiteral("-N")}))
    return false;

  const QByteArray program = QFile::encodeName(binaryFolder() + QStringLiteral("/postgres"));
  const QByteArray dataPath = QFile::encodeName(data);
  const QByteArray socketFolder = QFile::encodeName(dir_.path());
  const QByteArray log = QFile::encodeName(dir_.filePath(QStringLiteral("server.log")));
  const QByteArray port = QByteArray::number(socketPort);
  const char *arguments[] = {program.constData(),
                             "-D",
                             dataPath.constData(),
                             "-k",
                             socketFolder.constData(),
                             "-p",
                             port.constData(),
                             "-c",
                             "listen_addresses=",
                             "-c",
                             "fsync=off",
                             "-c",
                             "synchronous_commit=off",
                             "-c",
                             "full_page_writes=off",
                             "-c",
                             "max_connections=300",
                             nullptr};
  const pid_t parent = getpid();
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    if (!dropTo(user)) _exit(126);
    // Should the test program die without stopping it, the server gets the fast-shutdown signal.
    prctl(PR_SET_PDEATHSIG, SIGINT);
    if (getppid() != parent) _exit(0);
    const int out = ::open(log.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (out >= 0) {
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
    }
    execv(arguments[0], const_cast<char *const *>(arguments));
    _exit(127);
  }
  server_ = child;
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (waitpid(server_, nullptr, WNOHANG) == server_) {
      server_ = 0;
      break;
    }
    QByteArray output;
    if (runTool(QStringLiteral("psql"),
                {QStringLiteral("-h"), dir_.path(), QStringLiteral("-p"), QString::fromLatin1(port),
                 QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"),
                 QStringLiteral("postgres"), QStringLiteral("-Atc"), QStringLiteral("SELECT 1")},
                &output))
      return true;
    usleep(50000);
  }
  QFile serverLog(QString::fromLocal8Bit(log));
  serverLog.open(QIODevice::ReadOnly);
  qWarning("PostgreSQL did not start: %s", serverLog.readAll().constData());
  stop();
  return false;
}

void PgCluster::stop()
{
  if (server_ <= 0) return;
  ::kill(server_, SIGINT);  // fast shutdown
  int status = 0;
  waitpid(server_, &status, 0);
  server_ = 0;
}

QString PgCluster::createDatabase()
{
  const QString name = QStringLiteral("catalogue_%1").arg(++databases_);
  if (!runTool(
          QStringLiteral("psql"),
          {QStringLiteral("-h"), dir_.path(), QStringLiteral("-p"), QString::number(socketPort),
           QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"), QStringLiteral("postgres"),
           QStringLiteral("-qc"), QStringLiteral("CREATE DATABASE ") + name}))
    return {};
  return QStringLiteral("postgresql:///%1?host=%2&port=%3&user=postgres")
      .arg(name, QString::fromLatin1(QUrl::toPercentEncoding(dir_.path())), QString::number(socketPort));
}

QString PgCluster::firstCell(const QString &address, const QString &sql)
{
  PgCluster *cluster = shared();
  if (!cluster) return {};
  QByteArray output;
  if (!cluster->runTool(QStringLiteral("psql"), {QStringLiteral("-d"), address, QStringLiteral("-Atc"), sql},
                        &output))
    return {};
  return QString::fromUtf8(output.left(output.indexOf('\n')));
}

}  // namespace tessivar::test
