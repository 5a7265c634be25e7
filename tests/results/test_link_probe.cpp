#include "platform/transfer_errors.h"
#include "results/link_probe.h"
#include "support/test_environment.h"

using namespace tessivar;
using namespace tessivar::link_probe;

Q_DECLARE_METATYPE(tessivar::link_probe::ProbeResult)

namespace {

QByteArray answer(const QByteArray &statusLine, const QByteArray &lines = {})
{
  return statusLine + "\r\n" + lines + "\r\n";
}

}  // namespace

class TestLinkProbe final : public QObject
{
  Q_OBJECT

 private slots:
  void headerRules_data();
  void headerRules();
  void redirects();
  void targets_data();
  void targets();
  void errorNumbers();
  void sizes();
};

void TestLinkProbe::headerRules_data()
{
  QTest::addColumn<QByteArray>("headers");
  QTest::addColumn<ProbeResult>("result");
  QTest::addColumn<qint64>("length");

  const QByteArray ok = "HTTP/1.1 200 OK";
  QTest::newRow("media") << answer(ok, "Content-Type: audio/x-pn-realaudio\r\nContent-Length: 102400\r\n")
                         << ProbeResult::Good << qint64(102400);
  QTest::newRow("web page") << answer(ok, "Content-Type: text/html\r\n") << ProbeResult::Bad << qint64(0);
  QTest::newRow("html any case, any status")
      << answer("HTTP/1.1 206 Partial Content", "content-type: Text/Html; charset=x\r\n") << ProbeResult::Bad
      << qint64(0);
  const QByteArray media = "Content-Type: audio/mpeg\r\n";
  QTest::newRow("not found") << answer("HTTP/1.1 404 Not Found", media) << ProbeResult::Bad << qint64(0);
  QTest::newRow("404 without reason") << answer("HTTP/1.1 404 ", media) << ProbeResult::Bad << qint64(0);
  QTest::newRow("forbidden") << answer("HTTP/1.0 403 Forbidden", media) << ProbeResult::Bad << qint64(0);
  QTest::newRow("server error") << answer("HTTP/2 500", media) << ProbeResult::Bad << qint64(0);
  QTest::newRow("range refused, link there")
      << answer("HTTP/1.1 416 Range Not Satisfiable", "Content-Length: 10\r\n") << ProbeResult::Good
      << qint64(10);
  QTest::newRow("no length") << answer(ok, "Content-Type: video/mpeg\r\n") << ProbeResult::Good << qint64(0);
  QTest::newRow("length not a number")
      << answer(ok, "Content-Length: 12abc\r\n") << ProbeResult::Bad << qint64(0);
  QTest::newRow("length negative") << answer(ok, "Content-Length: -5\r\n") << ProbeResult::Bad << qint64(0);
  QTest::newRow("length beyond 64 bits")
      << answer(ok, "Content-Length: 99999999999999999999999\r\n") << ProbeResult::Bad << qint64(0);
  QTest::newRow("largest length") << answer(ok, "content-length:9223372036854775807\r\n") << ProbeResult::Good
                                  << qint64(9223372036854775807);
  QTest::newRow("length named in another header")
      << answer(ok, "X-Note: Content-Length: 5\r\nContent-Length: 7\r\n") << ProbeResult::Good << qint64(7);
  QTest::newRow("html past the examined part")
      << answer(ok, "X-Pad: " + QByteArray(2100, 'a') + "\r\nContent-Type: text/html\r\n")
      << ProbeResult::Good << qint64(0);
  QTest::newRow("length cut off by the examined part")
      << answer(ok, "X-Pad: " + QByteArray(2015, 'a') + "\r\nContent-Length: 123456789\r\n")
      << ProbeResult::Good << qint64(0);
  QTest::newRow("oversized block") << answer(ok, "Content-Type: audio/mpeg\r\nX-Pad: " +
                                                     QByteArray(70000, 'a') + "\r\n")
                                   << ProbeResult::Bad << qint64(0);
  QTest::newRow("no header line") << answer(ok) << ProbeResult::Bad << qint64(0);
  QTest::newRow("not http") << QByteArray("garbage\r\n\r\n") << ProbeResult::Bad << qint64(0);
}

void TestLinkProbe::headerRules()
{
  QFETCH(QByteArray, headers);
  QFETCH(ProbeResult, result);
  QFETCH(qint64, length);
  const HeaderVerdict verdict = judgeHeaders(headers, QStringLiteral("http://h/a.rm"));
  QCOMPARE(verdict.result, result);
  QCOMPARE(verdict.contentLength, length);
  QVERIFY(!verdict.redirect);
}

void TestLinkProbe::redirects()
{
  const QString from = QStringLiteral("http://h:81/dir/a.rm");
  const auto target = [&](const QByteArray &headers) { return judgeHeaders(headers, from).redirect; };
  QCOMPARE(target(answer("HTTP/1.1 302 Found", "Content-Type: text/html\r\nLocation: b.rm\r\n")),
           QStringLiteral("http://h:81/dir/b.rm"));
  QCOMPARE(target(answer("HTTP/1.1 301 Moved", "Location: https://cdn.example/c.rm\r\n")),
           QStringLiteral("https://cdn.example/c.rm"));
  // Nowhere to go, or somewhere no probe goes: judged as it stands.
  QVERIFY(!target(answer("HTTP/1.1 302 Found", "Content-Type: audio/mpeg\r\n")));
  QCOMPARE(
      judgeHeaders(
          answer("HTTP/1.1 302 Found", "Location: file:///etc/passwd\r\nContent-Type: text/html\r\n"), from)
          .result,
      ProbeResult::Bad);
}

void TestLinkProbe::targets_data()
{
  QTest::addColumn<QString>("url");
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("host");
  QTest::addColumn<bool>("settledBad");

  QTest::newRow("plain") << u"http://Media.Example/clips/a.rm"_qs << u"http://media.example/clips/a.rm"_qs
                         << u"media.example:80"_qs << false;
  QTest::newRow("credentials dropped")
      << u"http://user:secret@h:8000/a.ram"_qs << u"http://h:8000/a.ram"_qs << u"h:8000"_qs << false;
  QTest::newRow("https has its own host")
      << u"https://h/a.rm"_qs << u"https://h/a.rm"_qs << u"h:443"_qs << false;
  QTest::newRow("no path is probed") << u"http://h"_qs << u"http://h"_qs << u"h:80"_qs << false;
  QTest::newRow("high port") << u"http://h:40000/a"_qs << u"http://h:40000/a"_qs << u"h:40000"_qs << false;
  QTest::newRow("port beyond 65535") << u"http://h:70000/a"_qs << QString() << QString() << true;
  QTest::newRow("port 0") << u"http://h:0/a"_qs << QString() << QString() << true;
  QTest::newRow("other scheme") << u"httpx://h/a"_qs << QString() << QString() << true;
  QTest::newRow("no host") << u"http:///a"_qs << QString() << QString() << true;
}

void TestLinkProbe::targets()
{
  QFETCH(QString, url);
  QFETCH(QString, address);
  QFETCH(QString, host);
  QFETCH(bool, settledBad);
  QVERIFY(isProbedLink(url));
  const ProbeTarget target = prepareProbe(url);
  QCOMPARE(target.settled.has_value(), settledBad);
  if (settledBad) {
    QCOMPARE(*target.settled, ProbeResult::Bad);
    return;
  }
  QCOMPARE(target.address, address);
  QCOMPARE(target.hostKey, host);
}

void TestLinkProbe::errorNumbers()
{
  using namespace transfer_error;
  for (const int number : {TimedOut, NameNotResolved, CannotConnect, ConnectionReset, InvalidServerResponse})
    QCOMPARE(resultForError(number), ProbeResult::HostUnreachable);
  for (const int number : {InternalError, InvalidUrl, LoginFailure, RedirectFailed, SecureChannelError})
    QCOMPARE(resultForError(number), ProbeResult::Bad);
  QVERIFY(!isProbedLink(u"mms://h/a.asf"_qs));
  QVERIFY(!isProbedLink(u"rtsp://h/a.rm"_qs));
}

void TestLinkProbe::sizes()
{
  QCOMPARE(sizeText(100 * 1024), u"100k"_qs);
  QCOMPARE(sizeText(150000), u"146.5k"_qs);
  QCOMPARE(sizeText(1075), u"1k"_qs);  // 1.0498
  QCOMPARE(sizeText(1997), u"2k"_qs);  // 1.9502
  QCOMPARE(sizeText(9223372036854775807), u"9007199254740992k"_qs);
}

TESSIVAR_TEST_MAIN(TestLinkProbe)
#include "test_link_probe.moc"
