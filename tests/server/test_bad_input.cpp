// Hostile and malformed requests get a clear answer, never a crash or a storage error; searches run side by
// side.
#include "support/directory_fixture.h"
#include "support/test_environment.h"

#include <QTcpSocket>

using tessivar::test::anchorsOf;
using tessivar::test::DirectoryFixture;

class TestBadInput : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;

  int status(const QByteArray &target) { return directory_.get(target).status; }

 private slots:
  void initTestCase()
  {
    QVERIFY(directory_.importSampleCatalogue());
    QVERIFY(directory_.start());
  }

  void refusedRequests_data()
  {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("expected");
    QTest::newRow("repeated T1") << QByteArray("/tessivar37.asp?T1=ska&T1=jazz&LIVE=1") << 400;
    QTest::newRow("repeated flag") << QByteArray("/tessivar37.asp?T1=ska&MA=1&MA=0&F=1") << 400;
    QTest::newRow("invalid UTF-8") << QByteArray("/tessivar37.asp?T1=%FF%FE&LIVE=1") << 400;
    QTest::newRow("overlong UTF-8") << QByteArray("/tessivar37.asp?T1=%C0%AF&LIVE=1") << 400;
    QTest::newRow("negative speed") << QByteArray("/tessivar37.asp?T1=ska&SPD=-1") << 400;
    QTest::newRow("huge speed") << QByteArray("/tessivar37.asp?T1=ska&SPD=99999999999999999999") << 400;
    QTest::newRow("text speed") << QByteArray("/tessivar37.asp?T1=ska&MT=ten") << 400;
    QTest::newRow("related id") << QByteArray("/tessivar37.asp?RELATED=1&ID=x&MA=1") << 400;
    QTest::newRow("long search") << QByteArray("/tessivar37.asp?T1=" + QByteArray(5000, 'a')) << 400;
    QTest::newRow("negative page") << QByteArray("/browse/ra_A_-1.asp") << 400;
    QTest::newRow("huge page") << QByteArray("/browse/ra_A_99999999999999999999.asp") << 400;
    QTest::newRow("two letters") << QByteArray("/browse/ra_AB_1.asp") << 400;
    QTest::newRow("not a letter") << QByteArray("/browse/ra_%25_1.asp") << 400;
    QTest::newRow("mail list twice") << QByteArray("/maillist.asp?Email=a@b&Email=c@d&Name=x") << 400;
    QTest::newRow("unknown path") << QByteArray("/tessivar38.asp?T1=ska") << 404;
  }

  void refusedRequests()
  {
    QFETCH(QByteArray, target);
    QFETCH(int, expected);
    const auto answer = directory_.get(target);
    QCOMPARE(answer.status, expected);
    QVERIFY(!answer.body.contains("SQL") && !answer.body.contains("sqlite"));
  }

  void megabyteQueryStringIsRefused()
  {
    const int code = status("/tessivar37.asp?V=3.7&P=T&T1=" + QByteArray(1024 * 1024, 'x') + "&LIVE=1");
    QVERIFY2(code >= 400 && code < 500, qPrintable(QString::number(code)));
    QCOMPARE(status("/reg.asp?VER=1&P=T&V=3.7"), 200);  // still serving
  }

  void sqlAndQueryLanguageTextsAreOnlySearchedFor_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("statement") << QByteArray("%27%3B%20DROP%20TABLE%20entries%3B--");
    QTest::newRow("quotes") << QByteArray("%22%20OR%20%22ska");
    QTest::newRow("match syntax") << QByteArray("ska*%20NEAR(a%20b)%20NOT%20x");
    QTest::newRow("column filter") << QByteArray("name%3Aska");
    QTest::newRow("marks only") << QByteArray("^$`,,^^,$$");
    QTest::newRow("nul") << QByteArray("zzz%00qqq");
    QTest::newRow("empty") << QByteArray("");
  }

  void sqlAndQueryLanguageTextsAreOnlySearchedFor()
  {
    QFETCH(QByteArray, text);
    const auto answer = directory_.get("/tessivar37.asp?V=3.7&P=T&T1=" + text + "&F=1&MA=1&LIVE=1");
    QCOMPARE(answer.status, 200);
    QCOMPARE(anchorsOf(answer.body).size(), 0);
    // The catalogue is intact.
    QCOMPARE(anchorsOf(directory_.get("/tessivar37.asp?T1=ska+beat&LIVE=1").body).size(), 1);
  }

  void unknownAndEmptyParametersAreIgnored()
  {
    const auto answer = directory_.get("/tessivar37.asp?V=3.7&P=T&T1=ska+beat&&&F=1&MA=1&&ZZ=1&LIVE=1&");
    QCOMPARE(answer.status, 200);
    QCOMPARE(anchorsOf(answer.body).size(), 1);
  }

  void searchesDoNotWaitForEachOther()
  {
    // A client that holds a connection open without finishing its request blocks nobody.
    QTcpSocket idle;
    idle.connectToHost(QStringLiteral("127.0.0.1"), directory_.port());
    QVERIFY(idle.waitForConnected(5000));
    idle.write("GET /tessivar37.asp?T1=ska");

    QList<QTcpSocket *> clients;
    for (int i = 0; i < 6; ++i) {
      auto *socket = new QTcpSocket(this);
      socket->connectToHost(QStringLiteral("127.0.0.1"), directory_.port());
      clients << socket;
    }
    for (auto *socket : clients) {
      QVERIFY(socket->waitForConnected(5000));
      socket->write("GET /tessivar37.asp?T1=ALL&&F=1&MA=1&LIVE=1 HTTP/1.0\r\n\r\n");
    }
    for (auto *socket : clients) {
      QByteArray reply;
      while (socket->state() == QAbstractSocket::ConnectedState && socket->waitForReadyRead(10000))
        reply += socket->readAll();
      reply += socket->readAll();
      QVERIFY(reply.startsWith("HTTP/1.1 200"));
      QCOMPARE(anchorsOf(reply).size(), 9);
      delete socket;
    }
  }
};

TESSIVAR_TEST_MAIN(TestBadInput)
#include "test_bad_input.moc"
