// The stream checker's probes against local stream servers: each way a stream can be good or
// fail, and the private networks it must not reach.
#include "server/stream_probe.h"
#include "support/test_environment.h"

#include <QEventLoop>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <map>
#include <memory>

using namespace tessivar::directory;

namespace {

// Answers by path, from a thread of its own (the probes block the test's thread).
class Streams
{
 public:
  Streams()
  {
    QSemaphore ready;
    thread_.reset(QThread::create([this, &ready] {
      QTcpServer server;
      server.listen(QHostAddress::LocalHost);
      port_ = server.serverPort();
      QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, this] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
          QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, this] {
            const QByteArray request = socket->readAll();
            answer(socket, request.split(' ').value(1));
          });
        }
      });
      QEventLoop loop;
      loop_ = &loop;
      ready.release();
      loop.exec();
    }));
    thread_->start();
    ready.acquire();
  }
  ~Streams()
  {
    QMetaObject::invokeMethod(loop_, &QEventLoop::quit, Qt::QueuedConnection);
    thread_->wait();
  }
  std::string url(const char *path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

 private:
  void answer(QTcpSocket *socket, const QByteArray &path) const
  {
    const QByteArray mp3("\xFF\xFB\x90\x64\x00\x00\x00\x00", 8);
    if (path == "/good") {
      socket->write(
          "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: Good FM\r\nicy-br: 128\r\n"
          "icy-genre: Jazz\r\n\r\n" +
          mp3.repeated(64));
    } else if (path == "/sniffed") {
      socket->write(
          "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: 512\r\n\r\n" +
          mp3.repeated(64));
    } else if (path == "/missing") {
      socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    } else if (path == "/page") {
      socket->write(
          "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
          "27\r\n\r\n<html><body>Hi</body></html>");
    } else if (path == "/list.pls") {
      const QByteArray body =
          "[playlist]\nNumberOfEntries=1\nFile1=" + QByteArray::fromStdString(url("/good")) + "\n";
      socket->write("HTTP/1.1 200 OK\r\nContent-Type: audio/x-scpls\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\n\r\n" + body);
    } else if (path == "/deep.pls") {
      const QByteArray body = "[playlist]\nFile1=" + QByteArray::fromStdString(url("/list.pls")) + "\n";
      socket->write("HTTP/1.1 200 OK\r\nContent-Type: audio/x-scpls\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\n\r\n" + body);
    } else if (path.startsWith("/hop/")) {
      const int left = path.mid(5).toInt();
      socket->write("HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: " +
                    (left > 0 ? "/hop/" + QByteArray::number(left - 1) : QByteArray("/good")) + "\r\n\r\n");
    } else if (path == "/silent") {
      return;  // never a word
    }
    socket->flush();
  }

  std::unique_ptr<QThread> thread_;
  QEventLoop *loop_ = nullptr;
  quint16 port_ = 0;
};

std::map<std::int64_t, ProbeResult> probe(const std::vector<ProbeTarget> &targets, bool allowPrivate)
{
  ProbeOptions options;
  options.timeoutSeconds = 2;
  options.allowPrivate = allowPrivate;
  StreamProber prober(options);
  std::map<std::int64_t, ProbeResult> results;
  const std::atomic<bool> stop{false};
  prober.run(
      targets, [&results](const ProbeResult &result) { results[result.id] = result; }, stop);
  return results;
}

}  // namespace

class TestStreamProbe final : public QObject
{
  Q_OBJECT

 private slots:
  void eachWayAStreamIsGoodOrFails()
  {
    Streams streams;
    quint16 closedPort = 0;
    {
      QTcpServer closed;
      closed.listen(QHostAddress::LocalHost);
      closedPort = closed.serverPort();
    }
    const std::vector<std::pair<std::string, ProbeReason>> cases{
        {streams.url("/good"), ProbeReason::Good},
        {streams.url("/sniffed"), ProbeReason::Good},
        {streams.url("/list.pls"), ProbeReason::Good},
        {streams.url("/hop/3"), ProbeReason::Good},
        {streams.url("/hop/7"), ProbeReason::TooManyRedirects},
        {streams.url("/missing"), ProbeReason::HttpStatus},
        {streams.url("/page"), ProbeReason::NotMedia},
        {streams.url("/deep.pls"), ProbeReason::NotMedia},
        {streams.url("/silent"), ProbeReason::TimedOut},
        {"http://127.0.0.1:" + std::to_string(closedPort) + "/", ProbeReason::Refused},
        {"ftp://127.0.0.1/a.mp3", ProbeReason::NotHttp},
    };
    std::vector<ProbeTarget> targets;
    for (std::size_t i = 0; i < cases.size(); ++i) targets.push_back({std::int64_t(i + 1), cases[i].first});
    const auto results = probe(targets, true);
    QCOMPARE(results.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const ProbeResult &result = results.at(std::int64_t(i + 1));
      QVERIFY2(result.reason == cases[i].second,
               qPrintable(QString::fromStdString(cases[i].first + ": " + reasonText(result.reason) + " " +
                                                 result.detail)));
    }
    const ProbeResult &good = results.at(1);
    QCOMPARE(good.icyName, std::string("Good FM"));
    QCOMPARE(good.icyBitrate, std::string("128"));
    QCOMPARE(good.contentType, std::string("audio/mpeg"));
    QCOMPARE(results.at(6).detail, std::string("HTTP 404"));
  }

  void privateNetworksAreNotProbed()
  {
    Streams streams;
    const auto results = probe({{1, streams.url("/good")}, {2, "http://[::1]:9/"}}, false);
    QCOMPARE(int(results.at(1).reason), int(ProbeReason::PrivateAddress));
    QCOMPARE(int(results.at(2).reason), int(ProbeReason::PrivateAddress));
    for (const char *address :
         {"127.0.0.1", "10.1.2.3", "172.20.0.1", "192.168.1.1", "169.254.1.1", "100.64.0.1", "224.0.0.1",
          "0.0.0.0", "::1", "fe80::1", "fd00::1", "ff02::1", "::ffff:10.0.0.1"})
      QVERIFY2(isPrivateAddress(address), address);
    for (const char *address : {"8.8.8.8", "151.101.1.1", "2001:4860::8888", "::ffff:8.8.8.8"})
      QVERIFY2(!isPrivateAddress(address), address);
  }
};

TESSIVAR_TEST_MAIN(TestStreamProbe)
#include "test_stream_probe.moc"
