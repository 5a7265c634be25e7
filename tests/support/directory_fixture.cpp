#include "directory_fixture.h"

#include <QFile>
#include <QRegularExpression>
#include <QTcpSocket>

namespace tessivar::test {

QString directoryBinary()
{
  return QStringLiteral(TESSIVAR_BIN_DIR "/tessivar-directory");
}

DirectoryFixture::DirectoryFixture() = default;

DirectoryFixture::~DirectoryFixture()
{
  if (server_ && server_->state() != QProcess::NotRunning) {
    server_->terminate(); // SIGTERM: the server stops cleanly
    if (!server_->waitForFinished(10000))
      server_->kill();
  }
}

QString DirectoryFixture::writeFile(const QString &name, const QByteArray &content) const
{
  const QString path = dir_.filePath(name);
  QFile file(path);
  if (file.open(QIODevice::WriteOnly))
    file.write(content);
  return path;
}

int DirectoryFixture::run(const QStringList &arguments, QByteArray *output)
{
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(directoryBinary(), arguments);
  if (!process.waitForFinished(180000))
    return -1;
  if (output)
    *output = process.readAll();
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool DirectoryFixture::import(const QStringList &options) const
{
  QByteArray output;
  const int code = run(QStringList{QStringLiteral("import"), QStringLiteral("--db"), database()} + options, &output);
  if (code != 0)
    qWarning("import failed: %s", output.constData());
  return code == 0;
}

bool DirectoryFixture::start(const QStringList &extra)
{
  server_ = std::make_unique<QProcess>();
  server_->setProcessChannelMode(QProcess::SeparateChannels);
  server_->start(directoryBinary(), QStringList{QStringLiteral("serve"), QStringLiteral("--db"), database(),
                                                QStringLiteral("--port"), QStringLiteral("0")} + extra);
  if (!server_->waitForStarted(10000))
    return false;
  while (!server_->canReadLine()) {
    if (!server_->waitForReadyRead(10000))
      return false;
  }
  const QByteArray line = server_->readLine().trimmed();
  static const QRegularExpression listening(QStringLiteral("^Listening on [^ ]+:(\\d+)$"));
  const auto match = listening.match(QString::fromUtf8(line));
  if (!match.hasMatch())
    return false;
  port_ = static_cast<quint16>(match.captured(1).toUInt());
  return port_ != 0;
}

HttpAnswer DirectoryFixture::get(const QByteArray &target) const
{
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), port_);
  if (!socket.waitForConnected(5000))
    return {};
  socket.write("GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + QByteArray::number(port_) + "\r\n\r\n");
  QByteArray reply;
  while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(20000))
    reply += socket.readAll();
  reply += socket.readAll();
  const qsizetype headerEnd = reply.indexOf("\r\n\r\n");
  if (!reply.startsWith("HTTP/1.") || headerEnd < 0)
    return {};
  HttpAnswer answer;
  answer.status = reply.mid(9, 3).toInt();
  answer.body = reply.mid(headerEnd + 4);
  return answer;
}

bool DirectoryFixture::importSampleCatalogue() const
{
  const QString stations = writeFile(QStringLiteral("stations.csv"), R"(name,stream_url,homepage,tags,country,state,codec,bitrate
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
  const QString clips = writeFile(QStringLiteral("clips.csv"), R"(title,url,duration_seconds,bitrate,homepage,tags,show
Kettle Jazz Session One,http://clips.example.test/kettle1.mp3,600,128,http://clips.example.test/kettle,"jazz,piano",Kettle Sessions
Kettle Jazz Session Two,http://clips.example.test/kettle2.mp3,65,32,http://clips.example.test/kettle,"jazz,piano",Kettle Sessions
Kettle Blues Night,http://clips.example.test/kettle3.ogg,,,http://clips.example.test/kettle,blues,Kettle Sessions
Garden Talk Weekly,http://clips.example.test/garden.mp3,1800,64,,"gardening,talk",Garden Hour
Piano Lessons for Beginners,http://clips.example.test/piano.wav,300,1411,,"piano,education",
Ancient Rome Lecture,http://clips.example.test/rome.avi,3600,800,,history,
kite flying basics,http://clips.example.test/kite.wmv,120,300,,hobby,
)");
  return import({QStringLiteral("--stations"), stations, QStringLiteral("--tv"), tv, QStringLiteral("--clips"), clips});
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
  for (const auto &anchor : anchorsOf(page))
    names << anchor.text.section(QStringLiteral("**"), 0, 0);
  return names;
}

}  // namespace tessivar::test
