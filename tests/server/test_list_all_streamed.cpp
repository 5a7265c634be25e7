// "List all" on a catalogue far larger than one part of an answer: the page is written while it is read,
// and arrives whole, in order and the same whether the client speaks HTTP/1.1 (chunks) or HTTP/1.0
// (no framing, the connection closes at the end); a client that leaves halfway costs the server nothing.
#include "support/directory_fixture.h"
#include "support/test_environment.h"

#include <QTcpSocket>

using tessivar::test::DirectoryFixture;
using tessivar::test::namesOf;

namespace {

constexpr int stationCount = 30000;  // a page of several megabytes
constexpr const char *listAll = "/tessivar37.asp?V=3.7&P=T&T1=ALL&LIVE=1";

// The whole answer to one request on a fresh connection, read until the server closes it.
QByteArray rawAnswer(quint16 port, const QByteArray &version, const QByteArray &extraHeaders = {})
{
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), port);
  if (!socket.waitForConnected(5000)) return {};
  socket.write(QByteArray("GET ") + listAll + " " + version + "\r\nHost: 127.0.0.1\r\n" + extraHeaders +
               "\r\n");
  QByteArray reply;
  while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(20000))
    reply += socket.readAll();
  return reply + socket.readAll();
}

// The body of a chunked answer; empty when the framing is broken or the last chunk is missing.
QByteArray unchunked(const QByteArray &body)
{
  QByteArray out;
  qsizetype at = 0;
  for (;;) {
    const qsizetype lineEnd = body.indexOf("\r\n", at);
    if (lineEnd < 0) return {};
    bool ok = false;
    const qsizetype size = body.mid(at, lineEnd - at).toLongLong(&ok, 16);
    if (!ok || body.size() < lineEnd + 2 + size + 2 || body.mid(lineEnd + 2 + size, 2) != "\r\n") return {};
    if (size == 0) return lineEnd + 4 == body.size() ? out : QByteArray();
    out += body.mid(lineEnd + 2, size);
    at = lineEnd + 2 + size + 2;
  }
}

}  // namespace

class TestListAllStreamed : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;

 private slots:
  void initTestCase()
  {
    // Numbered names in changing case: list all comes by name ignoring case, so by number.
    QByteArray csv = "name,stream_url,tags,country,codec,bitrate\n";
    for (int i = 0; i < stationCount; ++i) {
      const QByteArray number = QByteArray::number(i).rightJustified(5, '0');
      csv += (i % 2 ? "station " : "STATION ") + number + " Ünï,http://s" + number +
             ".example.test/live.mp3,\"jazz,news\",Norway,MP3,128\n";
    }
    QVERIFY(directory_.import(
        {QStringLiteral("--stations"), directory_.writeFile(QStringLiteral("s.csv"), csv)}));
    QVERIFY(directory_.start());
  }

  void pageArrivesWholeInEitherFraming()
  {
    if (directory_.viaProxy()) QSKIP("nginx frames the answer itself");
    const QByteArray http10 = rawAnswer(directory_.port(), "HTTP/1.0");
    const QByteArray http11 = rawAnswer(directory_.port(), "HTTP/1.1", "Connection: close\r\n");
    const qsizetype head10 = http10.indexOf("\r\n\r\n");
    const qsizetype head11 = http11.indexOf("\r\n\r\n");
    QVERIFY(head10 > 0 && head11 > 0);
    QVERIFY(!http10.left(head10).toLower().contains("transfer-encoding"));
    QVERIFY(http11.left(head11).toLower().contains("transfer-encoding: chunked"));
    const QByteArray body = http10.mid(head10 + 4);
    QCOMPARE(unchunked(http11.mid(head11 + 4)), body);

    QVERIFY(body.startsWith("<HTML><HEAD><TITLE>Tessivar Directory</TITLE></HEAD><BODY>\r\n"));
    QVERIFY(body.endsWith("</A><BR>\r\n</BODY></HTML>\r\n"));
    const QStringList names = namesOf(body);
    QCOMPARE(names.size(), stationCount);
    for (int i = 0; i < stationCount; ++i) QVERIFY2(names[i].mid(8, 5).toInt() == i, qPrintable(names[i]));
  }

  void clientLeavingHalfwayLeavesTheServerAnswering()
  {
    for (int round = 0; round < 20; ++round) {
      QTcpSocket socket;
      socket.connectToHost(QStringLiteral("127.0.0.1"), directory_.port());
      QVERIFY(socket.waitForConnected(5000));
      socket.write(QByteArray("GET ") + listAll + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
      QVERIFY(socket.waitForReadyRead(20000));
      socket.abort();
    }
    const auto answer = directory_.get(listAll);
    QCOMPARE(answer.status, 200);
    QCOMPARE(namesOf(answer.body).size(), stationCount);
  }
};

TESSIVAR_TEST_MAIN(TestListAllStreamed)
#include "test_list_all_streamed.moc"
