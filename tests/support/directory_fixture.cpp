#include "directory_fixture.h"

#include "pg_cluster.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tessivar::test {

QString directoryBinary()
{
  return QStringLiteral(TESSIVAR_BIN_DIR "/tessivar-directory");
}

QString nginxBinary()
{
  const QString onPath = QStandardPaths::findExecutable(QStringLiteral("nginx"));
  return onPath.isEmpty()
             ? QStandardPaths::findExecutable(
                   QStringLiteral("nginx"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")})
             : onPath;
}

// A memory, undefined-behaviour, leak or data-race report in a directory's error output (the
// sanitizer builds) fails the test that ran it: inside a test function through Qt Test, after the
// tests (a fixture kept by the test object) by ending the test program with a failure.
static void failOnSanitizerReport(const QByteArray &errorOutput)
{
  static const QRegularExpression report(
      QStringLiteral("(ERROR: (Address|Leak|Memory)Sanitizer|WARNING: ThreadSanitizer|runtime error: |"
                     "SUMMARY: UndefinedBehaviorSanitizer)"));
  const QString text = QString::fromUtf8(errorOutput);
  if (!report.match(text).hasMatch()) return;
  const QByteArray message = "tessivar-directory reported a sanitizer finding:\n" + errorOutput.right(20000);
  if (QTest::currentTestFunction()) {
    QTest::qFail(message.constData(), __FILE__, __LINE__);
    return;
  }
  std::fprintf(stderr, "FAIL: %s\n", message.constData());
  std::fflush(stderr);
  PgCluster::stopShared();
  std::_Exit(1);
}

DirectoryFixture::DirectoryFixture(Backend backend)
{
  if (backend == Backend::Sqlite ||
      (backend == Backend::FromEnvironment &&
       qEnvironmentVariable("TESSIVAR_DIRECTORY_BACKEND") != QLatin1String("postgresql")))
    return;
  if (PgCluster::binaryFolder().isEmpty()) {
    std::fprintf(stderr, "SKIP: PostgreSQL is not installed\n");
    std::exit(77);
  }
  PgCluster *cluster = PgCluster::shared();
  postgres_ = cluster ? cluster->createDatabase() : QString();
  // An address that leads nowhere makes every import and start fail, with PostgreSQL's reason.
  if (postgres_.isEmpty()) postgres_ = QStringLiteral("postgresql:///no-cluster?host=/nonexistent");
}

DirectoryFixture::~DirectoryFixture()
{
  if (proxy_ && proxy_->state() != QProcess::NotRunning) {
    proxy_->terminate();
    if (!proxy_->waitForFinished(10000)) proxy_->kill();
  }
  for (const auto &server : servers_) {
    if (server->state() != QProcess::NotRunning) {
      server->terminate();  // SIGTERM: the server stops cleanly
      if (!server->waitForFinished(10000)) server->kill();
    }
    failOnSanitizerReport(server->readAllStandardError());
  }
}

QString DirectoryFixture::database() const
{
  return onPostgres() ? postgres_ : dir_.filePath(QStringLiteral("catalogue.db"));
}

QString DirectoryFixture::writeFile(const QString &name, const QByteArray &content) const
{
  const QString path = dir_.filePath(name);
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(content);
  return path;
}

int DirectoryFixture::run(const QStringList &arguments, QByteArray *output)
{
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(directoryBinary(), arguments);
  if (!process.waitForFinished(180000)) return -1;
  const QByteArray all = process.readAll();
  failOnSanitizerReport(all);
  if (output) *output = all;
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool DirectoryFixture::import(const QStringList &options) const
{
  QByteArray output;
  const int code =
      run(QStringList{QStringLiteral("import"), QStringLiteral("--db"), database()} + options, &output);
  if (code != 0) qWarning("import failed: %s", output.constData());
  return code == 0;
}

bool DirectoryFixture::start(const QStringList &extra)
{
  const bool proxied = qEnvironmentVariable("TESSIVAR_DIRECTORY_PROXY") == QLatin1String("nginx");
  if (proxied && nginxBinary().isEmpty()) {
    std::fprintf(stderr, "SKIP: nginx is not installed\n");
    std::exit(77);
  }
  // Through nginx, an SQLite catalogue is searched on its full-text index (what a large one uses), so
  // that the runs with and without nginx cover both ways of finding candidates.
  port_ = startServer(extra +
                      (proxied ? QStringList{QStringLiteral("--trusted-proxy"), QStringLiteral("127.0.0.1"),
                                             QStringLiteral("--memory-index-entries"), QStringLiteral("0")}
                               : QStringList{}));
  if (port_ == 0) return false;
  return !proxied || startProxy(QStringLiteral("tessivar-directory.conf"), {port_});
}

quint16 DirectoryFixture::startServer(const QStringList &extra)
{
  auto server = std::make_unique<QProcess>();
  QProcess &process = *server;
  servers_.push_back(std::move(server));
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(directoryBinary(), QStringList{QStringLiteral("serve"), QStringLiteral("--db"), database(),
                                               QStringLiteral("--port"), QStringLiteral("0")} +
                                       extra);
  if (!process.waitForStarted(10000)) return 0;
  while (!process.canReadLine()) {
    if (!process.waitForReadyRead(10000)) {
      qWarning("the directory did not start: %s", process.readAllStandardError().constData());
      return 0;
    }
  }
  const QByteArray line = process.readLine().trimmed();
  static const QRegularExpression listening(QStringLiteral("^Listening on [^ ]+:(\\d+)$"));
  const auto match = listening.match(QString::fromUtf8(line));
  const quint16 port = match.hasMatch() ? static_cast<quint16>(match.captured(1).toUInt()) : 0;
  if (port_ == 0) port_ = port;
  return port;
}

bool DirectoryFixture::killServer(int index)
{
  if (index < 0 || index >= static_cast<int>(servers_.size())) return false;
  QProcess &server = *servers_[static_cast<std::size_t>(index)];
  server.kill();
  return server.waitForFinished(10000);
}

bool DirectoryFixture::startProxy(const QString &configuration, const QList<quint16> &upstreams)
{
  QFile shipped(QStringLiteral(TESSIVAR_SOURCE_DIR "/server/nginx/") + configuration);
  if (!shipped.open(QIODevice::ReadOnly)) return false;
  const QByteArray site = shipped.readAll();
  const QString root = dir_.filePath(QStringLiteral("nginx"));
  QDir().mkpath(root);
  for (int attempt = 0; attempt < 5; ++attempt) {
    quint16 free = 0;
    {
      QTcpServer probe;
      if (!probe.listen(QHostAddress::LocalHost)) return false;
      free = probe.serverPort();
    }
    QByteArray local = site;
    local.replace("listen 80;", "listen 127.0.0.1:" + QByteArray::number(free) + ";");
    for (int i = 0; i < upstreams.size(); ++i) {
      const QByteArray shippedUpstream = "server 127.0.0.1:" + QByteArray::number(8437 + i);
      if (!local.contains(shippedUpstream)) return false;
      local.replace(shippedUpstream, "server 127.0.0.1:" + QByteArray::number(upstreams[i]));
    }
    if (!local.contains("listen 127.0.0.1:")) return false;
    writeFile(QStringLiteral("nginx/site.conf"), local);
    const QByteArray base = root.toUtf8();
    writeFile(QStringLiteral("nginx/nginx.conf"),
              QByteArray(geteuid() == 0 ? "user root;\n" : "") + "daemon off;\nworker_processes 1;\npid " +
                  base + "/nginx.pid;\nerror_log " + base +
                  "/error.log;\nevents { worker_connections 1024; }\nhttp {\n" +
                  "  access_log off;\n  client_body_temp_path " + base + "/body;\n  proxy_temp_path " + base +
                  "/proxy;\n  fastcgi_temp_path " + base + "/fastcgi;\n  uwsgi_temp_path " + base +
                  "/uwsgi;\n  scgi_temp_path " + base + "/scgi;\n  include " + base + "/site.conf;\n}\n");
    proxy_ = std::make_unique<QProcess>();
    proxy_->setProcessChannelMode(QProcess::MergedChannels);
    proxy_->start(nginxBinary(),
                  {QStringLiteral("-p"), root, QStringLiteral("-c"), root + QStringLiteral("/nginx.conf"),
                   QStringLiteral("-e"), root + QStringLiteral("/error.log")});
    if (!proxy_->waitForStarted(10000)) return false;
    // Ready once it answers; a port taken meanwhile makes it exit, and another port is tried.
    for (int wait = 0; wait < 100 && proxy_->state() == QProcess::Running; ++wait) {
      QTcpSocket socket;
      socket.connectToHost(QStringLiteral("127.0.0.1"), free);
      if (socket.waitForConnected(100)) {
        port_ = free;
        return true;
      }
      proxy_->waitForFinished(100);
    }
    qWarning("nginx did not start: %s", proxy_->readAll().constData());
    proxy_.reset();
  }
  return false;
}

QStringList DirectoryFixture::namesAt(const QByteArray &target) const
{
  const HttpAnswer answer = get(target);
  if (answer.status != 200) qWarning("status %d for %s", answer.status, target.constData());
  return namesOf(answer.body);
}

HttpAnswer DirectoryFixture::get(const QByteArray &target, quint16 port) const
{
  if (port == 0) port = port_;
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), port);
  if (!socket.waitForConnected(5000)) return {};
  socket.write("GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n\r\n");
  QByteArray reply;
  while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(20000))
    reply += socket.readAll();
  reply += socket.readAll();
  const qsizetype headerEnd = reply.indexOf("\r\n\r\n");
  if (!reply.startsWith("HTTP/1.") || headerEnd < 0) return {};
  HttpAnswer answer;
  answer.status = reply.mid(9, 3).toInt();
  answer.head = reply.left(headerEnd);
  answer.body = reply.mid(headerEnd + 4);
  return answer;
}

bool DirectoryFixture::importSampleCatalogue() const
{
  const QString stations =
      writeFile(QStringLiteral("stations.csv"), R"(name,stream_url,homepage,tags,country,state,codec,bitrate
Ska Beat Radio,http://ska.example.test/live.mp3,http://ska.example.test/,"ska,reggae",Jamaica,Kingston,MP3,128
Alaska Public Radio,http://alaska.example.test/stream,,news,United States,Alaska,MP3,64
Nebraska Skabilly,http://neb.example.test/stream,,ska-punk,United States,Nebraska,AAC,96
Techno Base,http://techno.example.test/stream,,techno/house,Germany,,MP3,320
Real Oldies,rtsp://real.example.test/oldies.ra,,oldies,Canada,,,
Jazz FM London,http://jazz.example.test/jazz.mp3,,,United Kingdom,,MP3,56
Metro Police Scanner,http://police.example.test/feed.mp3,,"scanner,police",United States,Ohio,MP3,16
Talk Radio One,mms://talk.example.test/talk,,talk,Canada,,,
Fifties Gold,http://fifties.example.test/s.mp3,,"1950s,oldies",,,MP3,128
"Quote ""Station"" <b>**x&&y",http://q.example.test/a"b.mp3,http://q.example.test/?a=1&&b=2,rock,Marker^^Land,,MP3,128
Unknown Codec Radio,http://unknown.example.test/stream,,rock,Norway,,,
)");
  const QString tv = writeFile(QStringLiteral("tv.csv"), R"(name,stream_url,homepage,category,country
News 24 Live,http://tv.example.test/news.m3u8,,news,France
)");
  const QString clips =
      writeFile(QStringLiteral("clips.csv"), R"(title,url,duration_seconds,bitrate,homepage,tags,show
Kettle Jazz Session One,http://clips.example.test/kettle1.mp3,600,128,http://clips.example.test/kettle,"jazz,piano",Kettle Sessions
Kettle Jazz Session Two,http://clips.example.test/kettle2.mp3,65,32,http://clips.example.test/kettle,"jazz,piano",Kettle Sessions
Kettle Blues Night,http://clips.example.test/kettle3.ogg,,,http://clips.example.test/kettle,blues,Kettle Sessions
Garden Talk Weekly,http://clips.example.test/garden.mp3,1800,64,,"gardening,talk",Garden Hour
Piano Lessons for Beginners,http://clips.example.test/piano.wav,300,1411,,"piano,education",
Ancient Rome Lecture,http://clips.example.test/rome.avi,3600,800,,history,
kite flying basics,http://clips.example.test/kite.wmv,120,300,,hobby,
)");
  return import(
      {QStringLiteral("--stations"), stations, QStringLiteral("--tv"), tv, QStringLiteral("--clips"), clips});
}

// One client connection of the relay and its connection to the directory.
class DirectoryRelay::Connection final : public QObject
{
 public:
  Connection(DirectoryRelay &relay, QTcpSocket *client)
      : QObject(client),
        relay_(relay),
        mode_(relay.mode_),
        anchors_(relay.anchors_),
        blockSize_(relay.blockSize_),
        client_(client)
  {
    connect(client_, &QTcpSocket::readyRead, this, [this] { onClientData(); });
    connect(client_, &QTcpSocket::disconnected, client_, &QObject::deleteLater);
  }

  bool isHeld() const { return held_; }

  void release()
  {
    released_ = true;
    held_ = false;
    pump();
  }

 private:
  void onClientData()
  {
    request_ += client_->readAll();
    if (upstream_ != nullptr) {
      upstream_->write(request_);
      request_.clear();
      return;
    }
    const qsizetype headEnd = request_.indexOf("\r\n\r\n");
    if (headEnd < 0) return;
    QList<QByteArray> lines = request_.left(headEnd).split('\n');
    const QByteArray body = request_.mid(headEnd + 4);
    request_.clear();
    for (QByteArray &line : lines) line = line.trimmed();
    relay_.requestLines_ << lines.value(0);

    // "GET http://host:port/path HTTP/1.1" becomes "GET /path HTTP/1.1".
    QList<QByteArray> parts = lines.value(0).split(' ');
    if (parts.size() == 3 && parts[1].startsWith("http://")) {
      const qsizetype pathStart = parts[1].indexOf('/', 7);
      parts[1] = pathStart < 0 ? QByteArray("/") : parts[1].mid(pathStart);
    }
    QByteArray head = parts.join(' ') + "\r\n";
    for (qsizetype i = 1; i < lines.size(); ++i) {
      const QByteArray name = lines[i].left(lines[i].indexOf(':')).trimmed().toLower();
      // The answer stays uncompressed, so the relay can find the anchors in it.
      if (name == "connection" || name == "proxy-connection" || name == "keep-alive" ||
          name == "accept-encoding") {
        continue;
      }
      head += lines[i] + "\r\n";
    }
    head += "Connection: close\r\n\r\n";

    upstream_ = new QTcpSocket(this);
    connect(upstream_, &QTcpSocket::readyRead, this, [this] {
      answer_ += upstream_->readAll();
      pump();
    });
    connect(upstream_, &QTcpSocket::disconnected, this, [this] {
      answer_ += upstream_->readAll();
      upstreamDone_ = true;
      pump();
    });
    connect(upstream_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
      upstreamDone_ = true;
      pump();
    });
    upstream_->connectToHost(QStringLiteral("127.0.0.1"), relay_.directoryPort_);
    upstream_->write(head + body);
  }

  // Where the answer stops: after the given number of "</A>" (once that much has arrived), for a
  // held answer until release().
  qsizetype stopPoint() const
  {
    if (mode_ == Mode::Pass || (mode_ == Mode::HoldAfterAnchors && released_)) return answer_.size();
    qsizetype at = 0;
    for (int found = 0; found < anchors_; ++found) {
      const qsizetype next = answer_.indexOf("</A>", at);
      if (next < 0) return upstreamDone_ ? answer_.size() : -1;
      at = next + 4;
    }
    return at;
  }

  void pump()
  {
    if (pumpScheduled_ || finished_ || client_->state() != QAbstractSocket::ConnectedState) return;
    const qsizetype stop = stopPoint();
    if (stop < 0) return;  // the stop point has not arrived yet
    if (sent_ < stop) {
      const qsizetype size =
          mode_ == Mode::Pass ? stop - sent_ : std::min<qsizetype>(blockSize_, stop - sent_);
      client_->write(answer_.mid(sent_, size));
      client_->flush();
      sent_ += size;
      // The next block goes in a later turn of the event loop, so the client reads them apart.
      pumpScheduled_ = true;
      QTimer::singleShot(mode_ == Mode::Pass ? 0 : 2, this, [this] {
        pumpScheduled_ = false;
        pump();
      });
      return;
    }
    if (mode_ != Mode::Pass && !released_) {
      held_ = true;
      return;
    }
    if (mode_ == Mode::DropAfterAnchors) {
      finished_ = true;
      // A zero linger time makes the close send a reset instead of a normal end.
      const linger hard{1, 0};
      ::setsockopt(static_cast<int>(client_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
      client_->abort();
      return;
    }
    if (upstreamDone_ && sent_ == answer_.size()) {
      finished_ = true;
      client_->disconnectFromHost();
    }
  }

  DirectoryRelay &relay_;
  const Mode mode_;
  const int anchors_;
  const int blockSize_;
  QTcpSocket *client_;
  QTcpSocket *upstream_ = nullptr;
  QByteArray request_;
  QByteArray answer_;
  qsizetype sent_ = 0;
  bool upstreamDone_ = false;
  bool released_ = false;
  bool held_ = false;
  bool pumpScheduled_ = false;
  bool finished_ = false;
};

DirectoryRelay::DirectoryRelay(quint16 directoryPort)
    : directoryPort_(directoryPort), server_(std::make_unique<QTcpServer>())
{
  QObject::connect(server_.get(), &QTcpServer::newConnection, server_.get(), [this] {
    while (QTcpSocket *client = server_->nextPendingConnection())
      connections_ << new Connection(*this, client);
  });
}

DirectoryRelay::~DirectoryRelay() = default;

bool DirectoryRelay::listen()
{
  return server_->listen(QHostAddress::LocalHost);
}

quint16 DirectoryRelay::port() const
{
  return server_->serverPort();
}

void DirectoryRelay::setMode(Mode mode, int anchors, int blockSize)
{
  mode_ = mode;
  anchors_ = anchors;
  blockSize_ = blockSize;
}

void DirectoryRelay::release()
{
  for (const QPointer<Connection> &connection : connections_) {
    if (connection) connection->release();
  }
}

int DirectoryRelay::heldAnswers() const
{
  int held = 0;
  for (const QPointer<Connection> &connection : connections_) {
    if (connection && connection->isHeld()) ++held;
  }
  return held;
}

QList<Anchor> anchorsOf(const QByteArray &page)
{
  static const QRegularExpression anchor(QStringLiteral("<A HREF=\"([^\"]*)\">(.*?)</A>"),
                                         QRegularExpression::CaseInsensitiveOption);
  QList<Anchor> anchors;
  auto matches = anchor.globalMatch(QString::fromUtf8(page));
  while (matches.hasNext()) {
    const auto match = matches.next();
    anchors.append({match.captured(1), match.captured(2)});
  }
  return anchors;
}

QStringList namesOf(const QByteArray &page)
{
  QStringList names;
  for (const auto &anchor : anchorsOf(page)) names << anchor.text.section(QStringLiteral("**"), 0, 0);
  return names;
}

}  // namespace tessivar::test
