// The same imports into an SQLite file and into a PostgreSQL database give the same pages, byte for
// byte: searches, list all, browse, related clips and the scanner, after an update in place, a file
// with a repeated address and a file that fails; a common word with more best matches than a page holds.
#include "support/directory_fixture.h"
#include "support/test_environment.h"

using tessivar::test::anchorsOf;
using tessivar::test::DirectoryFixture;
using tessivar::test::HttpAnswer;

class TestBackendsAgree : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture sqlite_{DirectoryFixture::Backend::Sqlite};
  DirectoryFixture postgres_{DirectoryFixture::Backend::PostgreSql};

 private slots:
  void initTestCase()
  {
    // Names that tie on relevance and sort apart only by case, accents or number.
    const QByteArray more =
        "name,stream_url,homepage,tags,country,state,codec,bitrate\n"
        "Ska Beat Radio,https://SKA.example.test:443/live.mp3/,,ska,Jamaica,,MP3,192\n"
        "ska beat radio,http://ska2.example.test/a.mp3,,ska,,,MP3,64\n"
        "\xC3\x84rger Jazz,http://aerger.example.test/s.mp3,,jazz,Austria,,MP3,128\n"
        "Aerger Jazz,http://aerger2.example.test/s.mp3,,jazz,Austria,,AAC,128\n"
        "Aerger Jazz,http://aerger2.example.test/s.mp3,,\"jazz,blues\",Austria,,AAC,96\n";
    // More names that start with "radio" than a page holds, mixed with names that hold it elsewhere;
    // fewer that start with "wave" than names that hold it further on.
    QByteArray many = "name,stream_url,tags,bitrate\n";
    for (int i = 0; i < 600; ++i) {
      const char *const shapes[] = {"Radio Wave %1", "RADIO-%1 Nord", "Wave Radio %1",
                                    "Radio %1",      "Radiowave %1",  "Zed Wave %1"};
      many += QStringLiteral("%1,http://wave%2.example.test/s.mp3,talk,%3\n")
                  .arg(QString::fromLatin1(shapes[i % 6]).arg(600 - i), QString::number(i),
                       QString::number(i % 3 == 0 ? 64 : 128))
                  .toUtf8();
    }
    const QByteArray broken =
        "name,stream_url\nNever Stored,http://never.example.test/a.mp3\n\"open quote,x\n";
    for (DirectoryFixture *directory : {&sqlite_, &postgres_}) {
      QVERIFY(directory->importSampleCatalogue());
      QVERIFY(directory->import(
          {QStringLiteral("--stations"), directory->writeFile(QStringLiteral("more.csv"), more)}));
      QVERIFY(directory->import(
          {QStringLiteral("--stations"), directory->writeFile(QStringLiteral("many.csv"), many)}));
      QVERIFY(!directory->import(
          {QStringLiteral("--stations"), directory->writeFile(QStringLiteral("broken.csv"), broken)}));
      QVERIFY(directory->startServer() != 0);
    }
  }

  void pagesAreTheSame_data()
  {
    QTest::addColumn<QByteArray>("target");
    for (const char *target : {
             "/tessivar37.asp?V=3.7&P=T&T1=ska&F=1&MA=1&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=jazz,radio&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=^ska^,techno$&F=1&MA=1&RA=1&NA=1&LIVE=1&SPD=100",
             "/tessivar37.asp?V=3.7&P=T&T1=oldies&F=1&MA=1&RA=1&LIVE=1&FMT=2",
             "/tessivar37.asp?V=3.7&P=T&T1=Talk/News&F=1&MA=1&NA=1&LIVE=1&FMT=1",
             "/tessivar37.asp?V=3.7&P=T&T1=a&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=radio&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=Radio&LIVE=1&SPD=64",
             "/tessivar37.asp?V=3.7&P=T&T1=radio-&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=`radiow&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=wave&LIVE=1",
             // A word few names hold that fills the page from genres (ties broken by name), places, formats.
             "/tessivar37.asp?V=3.7&P=T&T1=talk&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=talk&LIVE=1&SPD=64",
             "/tessivar37.asp?V=3.7&P=T&T1=austria&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=mp3&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=never&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=kettle&F=1&MA=1&MBPS=64&MT=100",
             "/tessivar37.asp?V=3.7&P=T&T1=ALL&F=1&MA=1&RA=1&NA=1&LIVE=1",
             "/tessivar37.asp?V=3.7&P=T&T1=ALL&F=1&MA=1&RA=1&NA=1&AV=1&WA=1",
             "/browse/ra_K_1.asp",
             "/browse/ra_G_2.asp",
             "/tessivar37.asp?RELATED=1&ID=13&V=3.7&MA=1&RA=1&NA=1&NV=1&WA=1",
             "/tessivar37.asp?GS=1&STYLE=jazz&LS=0",
             "/tessivar37.asp?GS=1&STYLE=&LS=3&UNK=1",
             "/tessivar37.asp?GS=1&STYLE=polka&LS=0",
         })
      QTest::newRow(target) << QByteArray(target);
  }

  void pagesAreTheSame()
  {
    QFETCH(QByteArray, target);
    const HttpAnswer onSqlite = sqlite_.get(target);
    const HttpAnswer onPostgres = postgres_.get(target);
    QCOMPARE(onSqlite.status, 200);
    QCOMPARE(onPostgres.status, onSqlite.status);
    QCOMPARE(onPostgres.body, onSqlite.body);
  }

  void theComparisonHadSomethingToCompare()
  {
    QCOMPARE(anchorsOf(sqlite_.get("/tessivar37.asp?V=3.7&P=T&T1=jazz&LIVE=1").body).size(), 3);
    QVERIFY(!sqlite_.get("/tessivar37.asp?V=3.7&P=T&T1=never&LIVE=1").body.contains("<A HREF"));
    QCOMPARE(anchorsOf(sqlite_.get("/tessivar37.asp?V=3.7&P=T&T1=radio&LIVE=1").body).size(), 250);
  }
};

TESSIVAR_TEST_MAIN(TestBackendsAgree)
#include "test_backends_agree.moc"
