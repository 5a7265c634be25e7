// A catalogue written before searches kept their own derived texts (page line parts, folded fields,
// name order), or before list all read the index by name, is upgraded when the server opens it, and
// answers exactly as a freshly imported one;
// the stream-check flag still reaches the page; variants of one word ("ska", "ska-", "`ska") find
// the same entries together as apart.
#include "catalogue_sql.h"
#include "support/directory_fixture.h"
#include "support/test_environment.h"

using tessivar::test::DirectoryFixture;
using tessivar::test::executeOnCatalogue;
using tessivar::test::namesOf;
using tessivar::test::scalar;

namespace {

// The layout of the earlier builds: no derived columns, no entry_match, the update trigger on every column.
constexpr const char *olderLayout = R"sql(
DROP TABLE entry_match;
ALTER TABLE entries DROP COLUMN page_head;
ALTER TABLE entries DROP COLUMN page_tail;
DROP TRIGGER entries_text_update;
CREATE TRIGGER entries_text_update AFTER UPDATE ON entries BEGIN
  INSERT INTO entry_text(entry_text, rowid, name, format, location, genre)
    VALUES ('delete', old.id, old.name, old.format, old.location, old.genre);
  INSERT INTO entry_text(rowid, name, format, location, genre)
    VALUES (new.id, new.name, new.format, new.location, new.genre);
END;
PRAGMA user_version = 0;
)sql";

// Layout 3: list all read through the index by kind and name.
constexpr const char *layoutThree = R"sql(
DROP INDEX entries_by_name;
CREATE INDEX entries_by_kind_name ON entries(kind, name COLLATE NOCASE);
PRAGMA user_version = 3;
)sql";

const QByteArray searches[] = {
    "T1=jazz&LIVE=1",
    "T1=radio,news&LIVE=1&SPD=128",
    "T1=^ska^,^ska$,ska-,ska/,skamusic,`ska&LIVE=1&FMT=2",
    "T1=ALL&LIVE=1",
    "T1=e&F=1&MA=1&LIVE=1",
    "T1=episode",
    "GS=1&STYLE=Jazz&LS=0",
};

}  // namespace

class TestCatalogueUpgrade : public QObject
{
  Q_OBJECT

 private slots:
  void olderCatalogueAnswersAsAFreshOne_data()
  {
    QTest::addColumn<QByteArray>("layout");
    QTest::newRow("before the derived data") << QByteArray(olderLayout);
    QTest::newRow("layout 3") << QByteArray(layoutThree);
  }

  void olderCatalogueAnswersAsAFreshOne()
  {
    QFETCH(QByteArray, layout);
    DirectoryFixture fresh;
    DirectoryFixture older;
    QVERIFY(fresh.importSampleCatalogue());
    QVERIFY(older.importSampleCatalogue());
    QVERIFY(executeOnCatalogue(older.database(), layout.constData()));
    for (const DirectoryFixture *directory : {&fresh, &older})
      QVERIFY(executeOnCatalogue(directory->database(), "UPDATE entries SET check_failed = 1 WHERE id = 2"));
    QVERIFY(fresh.start({QStringLiteral("--cache-mb"), QStringLiteral("0")}));
    QVERIFY(older.start({QStringLiteral("--cache-mb"), QStringLiteral("0")}));

    for (const QByteArray &query : searches) {
      const auto expected = fresh.get("/tessivar37.asp?V=3.7&P=T&" + query);
      const auto answer = older.get("/tessivar37.asp?V=3.7&P=T&" + query);
      QCOMPARE(expected.status, 200);
      QCOMPARE(answer.status, 200);
      QCOMPARE(answer.body, expected.body);
    }
    QCOMPARE(scalar(older.database(), "PRAGMA user_version"),
             scalar(fresh.database(), "PRAGMA user_version"));
    QCOMPARE(scalar(older.database(), "SELECT count(*) FROM entry_match"),
             scalar(older.database(), "SELECT count(*) FROM entries"));
    // The flag is the entry's own, set after the derived texts were made.
    const auto page = fresh.get("/tessivar37.asp?V=3.7&P=T&T1=ALL&LIVE=1").body;
    QVERIFY(page.contains("$$1@@"));
  }

  void variantsOfOneWordTogetherFindWhatTheyFindApart()
  {
    DirectoryFixture directory;
    const QString csv = directory.writeFile(QStringLiteral("s.csv"),
                                            "name,stream_url,tags\n"
                                            "Alaska Radio,http://a.example.test/s.mp3,pop\n"
                                            "Skank FM,http://b.example.test/s.mp3,ska-punk\n"
                                            "Two Tone,http://c.example.test/s.mp3,\"rock, ska\"\n"
                                            "Rude Boy,http://d.example.test/s.mp3,ska/reggae\n");
    QVERIFY(directory.import({QStringLiteral("--stations"), csv}));
    QVERIFY(directory.start({QStringLiteral("--cache-mb"), QStringLiteral("0")}));
    const auto names = [&](const QByteArray &text) {
      return namesOf(directory.get("/tessivar37.asp?V=3.7&P=T&LIVE=1&T1=" + text).body);
    };
    QCOMPARE(names("ska-,ska/"), (QStringList{QStringLiteral("Rude Boy"), QStringLiteral("Skank FM")}));
    QCOMPARE(names("ska/,ska-,^ska$"), (QStringList{QStringLiteral("Two Tone"), QStringLiteral("Rude Boy"),
                                                    QStringLiteral("Skank FM")}));
    QCOMPARE(names("ska-,ska").size(), 4);
    QCOMPARE(names("^ska^+rock,^ska$"), QStringList{QStringLiteral("Two Tone")});
  }
};

TESSIVAR_TEST_MAIN(TestCatalogueUpgrade)
#include "test_catalogue_upgrade.moc"
