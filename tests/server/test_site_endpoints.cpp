// Discovery, version check, browse pages, related clips, top ten, sign-up and the static pages.
#include "catalogue_sql.h"
#include "support/directory_fixture.h"
#include "support/test_environment.h"

using tessivar::test::anchorsOf;
using tessivar::test::DirectoryFixture;
using tessivar::test::namesOf;
using tessivar::test::storedText;

class TestSiteEndpoints : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;

  QByteArray body(const QByteArray &target) { return directory_.get(target).body; }

 private slots:
  void initTestCase()
  {
    // Enough clips under "B" for two browse pages.
    QByteArray clips = "title,url,duration_seconds,bitrate,homepage,tags\n";
    for (int i = 0; i < 130; ++i)
      clips += "Blues Lesson " + QByteArray::number(1000 + i) + ",http://b.example.test/" +
               QByteArray::number(i) + ".mp3,60,64,,blues\n";
    clips += "\xC3\x89t\xC3\xA9 Special,http://b.example.test/ete.mp3,60,64,,summer\n";
    QVERIFY(directory_.importSampleCatalogue());
    QVERIFY(directory_.import(
        {QStringLiteral("--clips"), directory_.writeFile(QStringLiteral("more.csv"), clips)}));
    QVERIFY(directory_.start({QStringLiteral("--data-host"), QStringLiteral("data.example.test:8437"),
                              QStringLiteral("--min-version"), QStringLiteral("3.7"),
                              QStringLiteral("--signups-per-hour"), QStringLiteral("4")}));
  }

  void redirectNamesTheDataServerBeforeTheMarkup()
  {
    const QByteArray page = body("/redirect35.asp");
    QVERIFY(page.startsWith("data.example.test:8437<"));
  }

  void versionCheck()
  {
    QCOMPARE(body("/reg.asp?VER=1&P=T&V=3.7"), QByteArray("Version OK"));
    QCOMPARE(body("/reg.asp?VER=1&P=T&V=3.10"), QByteArray("Version OK"));
    QCOMPARE(body("/reg.asp?VER=1&P=T&V=3.6"), QByteArray("Version NO"));
    QCOMPARE(body("/reg.asp?VER=1&P=T&V=2.99"), QByteArray("Version NO"));
    QCOMPARE(body("/reg.asp?VER=1&P=T"), QByteArray("Version NO"));
  }

  void browsePagesHoldAHundredClips()
  {
    const QByteArray first = body("/browse/ra_B_0.asp");
    QVERIFY(first.contains("&&&&TOTALPAGES:2<BR>"));
    QCOMPARE(first.indexOf("&&&&TOTALPAGES:") < first.indexOf("<A HREF"), true);
    QCOMPARE(anchorsOf(first).size(), 100);
    QCOMPARE(body("/browse/ra_B_1.asp"), first);
    const QStringList second = namesOf(body("/browse/ra_b_2.asp"));
    QCOMPARE(second.size(), 30);
    QVERIFY(!namesOf(first).contains(second.first()));
    QCOMPARE(anchorsOf(body("/browse/ra_B_3.asp")).size(), 0);
    QVERIFY(body("/browse/ra_B_3.asp").contains("&&&&TOTALPAGES:2<BR>"));
    // Accents are dropped for the letter; lower-case titles count under their capital.
    QCOMPARE(namesOf(body("/browse/ra_E_0.asp")),
             QStringList{QString::fromUtf8("\xC3\x89t\xC3\xA9 Special")});
    QCOMPARE(namesOf(body("/browse/ra_K_0.asp")).size(), 4);
    QVERIFY(body("/browse/ra_7_0.asp").contains("&&&&TOTALPAGES:1<BR>"));
  }

  void relatedClipsShareShowOrTagsButNeverTheItem()
  {
    const auto anchors = anchorsOf(body("/tessivar37.asp?V=3.7&P=T&T1=kettle+one&F=1&MA=1"));
    QCOMPARE(anchors.size(), 1);
    const QString id = anchors[0].text.section(QStringLiteral("~~"), 1).section(QStringLiteral("~$~$"), 0, 0);
    const QByteArray request = "/tessivar37.asp?RELATED=1&ID=" + id.toUtf8() + "&V=3.7&";
    QStringList related = namesOf(body(request + "RA=1&MA=1&WA=1&"));
    QCOMPARE(related.first(), QStringLiteral("Kettle Jazz Session Two"));  // same show, same tags
    QVERIFY(related.contains(QStringLiteral("Kettle Blues Night")));
    QVERIFY(related.contains(QStringLiteral("Piano Lessons for Beginners")));  // tag piano
    QVERIFY(!related.contains(QStringLiteral("Kettle Jazz Session One")));
    QVERIFY(!related.contains(QStringLiteral("Garden Talk Weekly")));
    QVERIFY(!namesOf(body(request + "MA=1&")).contains(QStringLiteral("Piano Lessons for Beginners")));
    QCOMPARE(anchorsOf(body(request)).size(), 0);  // no format ticked
    QCOMPARE(anchorsOf(body("/tessivar37.asp?RELATED=1&ID=987654&V=3.7&MA=1&")).size(), 0);
  }

  void topTenCountsSearchesThatFoundSomething()
  {
    for (int i = 0; i < 3; ++i) body("/tessivar37.asp?V=3.7&P=T&T1=Blues,<Lesson>&F=1&MA=1");
    body("/tessivar37.asp?V=3.7&P=T&T1=Zebra+Crossing&F=1&MA=1&LIVE=1");
    body("/tessivar37.asp?V=3.7&P=T&T1=ALL&&F=1&MA=1&LIVE=1");
    const QByteArray page = body("/top10.asp?P=T");
    QVERIFY(page.contains("<li>blues,&lt;lesson&gt; (3 searches)</li>"));
    QVERIFY(!page.contains("<li>zebra"));
    QVERIFY(!page.contains("<li>all "));
  }

  void signUpIsStored()
  {
    const auto answer =
        directory_.get("/maillist.asp?Email=jo@example.test&Name=Jo%20Doe&Program=Tessivar!%20Broadcast");
    QCOMPARE(answer.status, 200);
    QCOMPARE(directory_.get("/maillist.asp?Email=nobody&Name=Jo").status, 400);
    QCOMPARE(directory_.get("/maillist.asp?Email=a@b&Name=%20%20").status, 400);
    QCOMPARE(
        storedText(directory_, "SELECT name || '|' || program FROM signups WHERE email = 'jo@example.test'"),
        QStringLiteral("Jo Doe|Tessivar! Broadcast"));
  }

  void aRepeatedSignUpKeepsOneEntry()
  {
    for (const char *query : {"/maillist.asp?Email=ann@example.test&Name=Ann&Program=P",
                              "/maillist.asp?Email=%20ANN@Example.test%20&Name=Ann%20B&Program=P"})
      QCOMPARE(directory_.get(query).status, 200);
    QCOMPARE(
        storedText(
            directory_,
            "SELECT count(*) || '|' || max(name) FROM signups WHERE lower(email) LIKE '%ann@example.test%'"),
        QStringLiteral("1|Ann B"));
  }
  void signUpsStopAtTheHourlyCapForAllClients()
  {
    QByteArray refusal;
    for (int i = 0; i < 4 && refusal.isEmpty(); ++i) {
      const auto answer =
          directory_.get("/maillist.asp?Email=cap" + QByteArray::number(i) + "@example.test&Name=Cap");
      if (answer.status == 503) {
        refusal = answer.body;
        QVERIFY2(answer.head.contains("\r\nRetry-After: 3600"), answer.head.constData());
      }
    }
    QVERIFY(refusal.contains("Too many sign-ups this hour"));
    QCOMPARE(storedText(directory_, "SELECT count(*) FROM signups"), QStringLiteral("4"));
  }

  void staticPagesAndNotFound_data()
  {
    QTest::addColumn<QByteArray>("path");
    for (const char *path :
         {"/addsite.htm", "/mystation.htm", "/mediagrab.htm", "/demo.asp", "/mailform.htm", "/about.asp",
          "/ctube.htm", "/real.htm", "/microsoft.htm", "/total.htm", "/tessivar.htm"})
      QTest::newRow(path) << QByteArray(path);
  }

  void staticPagesAndNotFound()
  {
    QFETCH(QByteArray, path);
    const auto answer = directory_.get(path);
    QCOMPARE(answer.status, 200);
    QVERIFY(answer.body.contains("<h1>"));
    QVERIFY(!answer.body.contains("{site}"));
    const auto missing = directory_.get(path + ".old");
    QCOMPARE(missing.status, 404);
    QVERIFY(missing.body.contains("404 Object Not Found"));
  }
};

TESSIVAR_TEST_MAIN(TestSiteEndpoints)
#include "test_site_endpoints.moc"
