#include "platform/web_address.h"
#include "support/test_environment.h"

using namespace tessivar;

class TestWebAddress final : public QObject
{
  Q_OBJECT

 private slots:
  void onlyWebPagesAreOpened_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("opened");  // empty: refused
    QTest::newRow("http") << u"http://www.example.com/a?b=1#c"_qs << u"http://www.example.com/a?b=1#c"_qs;
    QTest::newRow("https, capitals, blanks") << u"  HTTPS://Example.com/ "_qs << u"HTTPS://Example.com/"_qs;
    QTest::newRow("bare host") << u"www.example.com"_qs << u"http://www.example.com"_qs;
    QTest::newRow("host, port and path") << u"example.com:8080/live"_qs << u"http://example.com:8080/live"_qs;
    QTest::newRow("bare address") << u"127.0.0.1:8437"_qs << u"http://127.0.0.1:8437"_qs;
    QTest::newRow("file") << u"file:///etc/passwd"_qs << QString();
    QTest::newRow("javascript") << u"javascript:alert(1)"_qs << QString();
    QTest::newRow("mailto") << u"mailto:x@example.com"_qs << QString();
    QTest::newRow("custom handler") << u"steam://run/1"_qs << QString();
    QTest::newRow("desktop file path") << u"/usr/share/applications/x.desktop"_qs << QString();
    QTest::newRow("home path") << u"~/x"_qs << QString();
    QTest::newRow("drive path") << u"C:\\x.exe"_qs << QString();
    QTest::newRow("no host") << u"http:///etc/passwd"_qs << QString();
    QTest::newRow("no slashes") << u"http:example.com"_qs << QString();
    QTest::newRow("user name") << u"http://bank.example@evil.example/"_qs << QString();
    QTest::newRow("empty") << u"  "_qs << QString();
    QTest::newRow("no website") << u"Unknown"_qs << QString();
  }
  void onlyWebPagesAreOpened()
  {
    QFETCH(QString, text);
    QFETCH(QString, opened);
    QCOMPARE(openableWebAddress(text).value_or(QString()), opened);
  }

  void onlyWebAddressesAreShown_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address");
    QTest::newRow("http") << u"http://radio.example/jazz"_qs << u"http://radio.example/jazz"_qs;
    QTest::newRow("https, blanks around") << u" https://radio.example "_qs << u"https://radio.example"_qs;
    QTest::newRow("bare www") << u"www.radio.example/a"_qs << u"http://www.radio.example/a"_qs;
    QTest::newRow("file") << u"file:///etc/passwd"_qs << QString();
    QTest::newRow("javascript") << u"javascript:alert(1)"_qs << QString();
    QTest::newRow("custom scheme") << u"tessivar-x:play"_qs << QString();
    QTest::newRow("no host") << u"http:///x"_qs << QString();
    QTest::newRow("local path") << u"/usr/share/x.desktop"_qs << QString();
    QTest::newRow("Unknown") << u"Unknown"_qs << QString();
  }

  void onlyWebAddressesAreShown()
  {
    QFETCH(QString, text);
    QFETCH(QString, address);
    QCOMPARE(webAddress(text).toString(), address);
  }
};

TESSIVAR_TEST_MAIN(TestWebAddress)
#include "test_web_address.moc"
