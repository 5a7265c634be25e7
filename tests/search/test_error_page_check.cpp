#include "search/error_page_check.h"
#include "support/test_environment.h"

using namespace tessivar;

class TestErrorPageCheck : public QObject
{
  Q_OBJECT

 private slots:
  void recognisesEachPage_data()
  {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("message");
    const QString forbidden =
        QStringLiteral("Error (Forbidden) : You are not permitted to access this site.");
    QTest::newRow("302") << QStringLiteral("<H1>302 Moved Temporarily</H1>")
                         << QStringLiteral("Error 302 : Document Moved Temporarily");
    QTest::newRow("301") << QStringLiteral("301 Moved Permanently")
                         << QStringLiteral("Error 301 : Document Moved Permanently");
    QTest::newRow("404 object") << QStringLiteral("HTTP/1.0 404 Object Not Found\r\n")
                                << QStringLiteral("Error 404 : Object Not Found");
    QTest::newRow("404 file") << QStringLiteral("<title>404 File Not Found</title>")
                              << QStringLiteral("Error 404 : File Not Found");
    QTest::newRow("Forbidden") << QStringLiteral("<h1>Forbidden</h1>") << forbidden;
    QTest::newRow("403.6") << QStringLiteral("HTTP Error 403.6 - IP address rejected") << forbidden;
    // The first entry of the list wins, wherever the texts stand in the page.
    QTest::newRow("404 before 302 in the page")
        << QStringLiteral("404 File Not Found ... 302 Moved Temporarily")
        << QStringLiteral("Error 302 : Document Moved Temporarily");
    QTest::newRow("301 and Forbidden") << QStringLiteral("Forbidden 301 Moved Permanently")
                                       << QStringLiteral("Error 301 : Document Moved Permanently");
  }

  void recognisesEachPage()
  {
    QFETCH(QString, page);
    QFETCH(QString, message);
    QCOMPARE(CheckServerErrorPage(page), std::optional<QString>(message));
  }

  void otherTextIsNoErrorPage_data()
  {
    QTest::addColumn<QString>("page");
    QTest::newRow("empty") << QString();
    QTest::newRow("plain page") << QStringLiteral("/A><BR></BODY></HTML>");
    QTest::newRow("lower case") << QStringLiteral("forbidden 404 object not found 302 moved temporarily");
    QTest::newRow("status alone") << QStringLiteral("404 Not Found");
    QTest::newRow("403 without .6") << QStringLiteral("HTTP Error 403");
  }

  void otherTextIsNoErrorPage()
  {
    QFETCH(QString, page);
    QVERIFY(!CheckServerErrorPage(page).has_value());
  }
};

TESSIVAR_TEST_MAIN(TestErrorPageCheck)
#include "test_error_page_check.moc"
