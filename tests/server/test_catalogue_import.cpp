// Importing catalogues: CSV layouts, M3U and PLS lists, the starter catalogue and the shared data files.
#include "catalogue_sql.h"
#include "support/directory_fixture.h"
#include "support/test_environment.h"

#include <QDir>
#include <QFileInfo>

using tessivar::test::DirectoryFixture;
using tessivar::test::executeOnCatalogue;
using tessivar::test::scalar;
using tessivar::test::text;

class TestCatalogueImport : public QObject
{
  Q_OBJECT

 private slots:
  void duplicatesAndBadRowsInOneFile()
  {
    DirectoryFixture directory;
    const QString csv = directory.writeFile(QStringLiteral("s.csv"),
                                            "name,stream_url,codec,bitrate,tags\r\n"
                                            "One,http://a.example.test/live/,MP3,128,\r\n"
                                            "One again,HTTP://A.example.test:80/live,MP3,64,\r\n"
                                            "No address,,MP3,,\r\n"
                                            "No scheme,a.example.test/x,MP3,,\r\n"
                                            "\"Multi\r\nline\",http://b.example.test/s,AAC,abc,\"x,y\"\r\n");
    QByteArray output;
    QCOMPARE(DirectoryFixture::run({QStringLiteral("import"), QStringLiteral("--db"), directory.database(),
                                    QStringLiteral("--stations"), csv},
                                   &output),
             0);
    QVERIFY2(output.contains("5 read, 3 imported, 2 skipped"), output.constData());
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries"), 2);
    // The later row with the same address updated the entry.
    QCOMPARE(text(directory.database(), "SELECT name FROM entries WHERE url_key = 'a.example.test/live'"),
             QStringLiteral("One again"));
    QCOMPARE(text(directory.database(), "SELECT name FROM entries WHERE url_key = 'b.example.test/s'"),
             QStringLiteral("Multi line"));
    QCOMPARE(scalar(directory.database(), "SELECT bitrate FROM entries WHERE url_key = 'b.example.test/s'"),
             0);
    // A later import's new name moves the entry in name order.
    QVERIFY(directory.import({QStringLiteral("--stations"),
                              directory.writeFile(QStringLiteral("t.csv"),
                                                  "name,stream_url\nAlpha,http://a.example.test/live\n")}));
    QCOMPARE(text(directory.database(),
                  "SELECT group_concat(name) FROM (SELECT e.name FROM entry_match m JOIN entries e USING "
                  "(id) ORDER BY m.name_order)"),
             QStringLiteral("Alpha,Multi line"));
  }

  // Older builds made url_key unique in the table itself, an index no import can drop: their catalogues,
  // empty or not, import through the upsert and get no second index.
  void olderTableKeepsItsAddressIndex()
  {
    DirectoryFixture directory;
    QVERIFY(directory.import({QStringLiteral("--stations"),
                              directory.writeFile(QStringLiteral("none.csv"), "name,stream_url\n")}));
    QString table = text(directory.database(), "SELECT sql FROM sqlite_schema WHERE name = 'entries'");
    table.replace(QStringLiteral("url_key TEXT NOT NULL,"), QStringLiteral("url_key TEXT NOT NULL UNIQUE,"));
    QVERIFY(executeOnCatalogue(directory.database(),
                               ("DROP TABLE entries; " + table.toUtf8() + ";").constData()));
    const QString csv =
        directory.writeFile(QStringLiteral("s.csv"),
                            "name,stream_url\nOne,http://a.example.test/x\n"
                            "Two,http://b.example.test/x\nOne again,http://a.example.test/x/\n");
    for (int round = 0; round < 2; ++round) {
      QVERIFY(directory.import({QStringLiteral("--stations"), csv}));
      QCOMPARE(text(directory.database(),
                    "SELECT group_concat(name, '|') FROM (SELECT name FROM entries ORDER BY id)"),
               QStringLiteral("One again|Two"));
    }
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM sqlite_schema WHERE name LIKE '%url_key'"),
             0);
  }

  // An import into an empty catalogue makes its match rows and name order its own way; they must be the
  // rows the general path makes again from the entries.
  void firstImportMatchesTheGeneralPath()
  {
    DirectoryFixture directory;
    const QString csv = directory.writeFile(
        QStringLiteral("s.csv"),
        "name,stream_url,tags,country\nbeta,http://a.test/1,Jazz,DE\n"
        "Alpha,http://a.test/2,, FR\nalpha,http://a.test/3,Rock\n\xC3\x89mile,http://a.test/4,,\n"
        "\xC3\xA9mile,http://a.test/5,,\nZed Jazz,http://a.test/6,pop,\nAlpha,http://a.test/2/,,\n");
    const char *rows =
        "SELECT group_concat(id || ',' || kind || ',' || family || ',' || bitrate || ',' || duration || ',' "
        "||"
        " name_order || ',' || fold_name || ',' || fold_format || ',' || fold_location || ',' || fold_genre, "
        "'|')"
        " FROM (SELECT * FROM entry_match ORDER BY id)";
    QVERIFY(directory.import({QStringLiteral("--stations"), csv}));
    const QString first = text(directory.database(), rows);
    QVERIFY(first.startsWith(QStringLiteral("1,0,")));
    QVERIFY(executeOnCatalogue(directory.database(),
                               "UPDATE entries SET page_head = ''; UPDATE entry_match SET name_order = 0"));
    QVERIFY(directory.import({QStringLiteral("--stations"), csv}));
    QCOMPARE(first, text(directory.database(), rows));
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entry_match"), 6);
  }

  void playlists()
  {
    DirectoryFixture directory;
    const QString m3u =
        directory.writeFile(QStringLiteral("list.m3u"),
                            "#EXTM3U\n#EXTINF:-1 group-title=\"Jazz, Blues\",Night Jazz\n"
                            "http://m.example.test/night.mp3\n\n# a comment\nhttp://m.example.test/bare\n");
    const QString pls =
        directory.writeFile(QStringLiteral("list.pls"),
                            "[playlist]\nNumberOfEntries=2\nFile1=http://p.example.test/one.aac\n"
                            "Title1=Pls One\nLength1=-1\nTitle2=No file\nfile3=http://p.example.test/3\n");
    QVERIFY(directory.import({QStringLiteral("--m3u"), m3u, QStringLiteral("--pls"), pls}));
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries"), 4);
    QCOMPARE(text(directory.database(), "SELECT genre FROM entries WHERE name = 'Night Jazz'"),
             QStringLiteral("Jazz, Blues"));
    QCOMPARE(text(directory.database(), "SELECT name FROM entries WHERE url = 'http://m.example.test/bare'"),
             QStringLiteral("m.example.test"));
    QCOMPARE(
        text(directory.database(), "SELECT name FROM entries WHERE url = 'http://p.example.test/one.aac'"),
        QStringLiteral("Pls One"));
  }

  void unreadableFileFailsWithoutChanges()
  {
    DirectoryFixture directory;
    QByteArray output;
    QCOMPARE(DirectoryFixture::run(
                 {QStringLiteral("import"), QStringLiteral("--db"), directory.database(),
                  QStringLiteral("--stations"), directory.folder() + QStringLiteral("/missing.csv")},
                 &output),
             1);
    const QString wrong = directory.writeFile(QStringLiteral("wrong.csv"), "title,link\nx,y\n");
    QCOMPARE(DirectoryFixture::run({QStringLiteral("import"), QStringLiteral("--db"), directory.database(),
                                    QStringLiteral("--stations"), wrong},
                                   &output),
             1);
    QVERIFY(output.contains("no column"));
    QCOMPARE(DirectoryFixture::run({QStringLiteral("import")}, &output), 2);
    QCOMPARE(DirectoryFixture::run({QStringLiteral("serve"), QStringLiteral("--db"),
                                    directory.folder() + QStringLiteral("/none.db")},
                                   &output),
             1);
  }

  void starterCatalogue()
  {
    DirectoryFixture directory;
    const QString folder = QStringLiteral(TESSIVAR_SOURCE_DIR "/server/catalogue/");
    const QStringList options{QStringLiteral("--stations"), folder + QStringLiteral("stations.csv"),
                              QStringLiteral("--tv"),       folder + QStringLiteral("tv.csv"),
                              QStringLiteral("--clips"),    folder + QStringLiteral("clips.csv")};
    QVERIFY(directory.import(options));
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries WHERE kind = 0"), 30);
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries WHERE kind = 1"), 3);
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries WHERE kind = 2"), 24);
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries WHERE family = 0"), 0);
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM shows"), 5);
    QVERIFY(directory.import(options));
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries"), 57);
  }

  void sharedDataFiles()
  {
    const QString folder = QStringLiteral(TESSIVAR_SHARED_DATA_DIR);
    if (!QFileInfo::exists(folder + QStringLiteral("/stations.csv")))
      QSKIP("the shared catalogue files are not on this machine");
    DirectoryFixture directory;
    const QStringList options{QStringLiteral("--stations"), folder + QStringLiteral("/stations.csv"),
                              QStringLiteral("--tv"),       folder + QStringLiteral("/tv.csv"),
                              QStringLiteral("--clips"),    folder + QStringLiteral("/clips.csv")};
    QByteArray output;
    QCOMPARE(
        DirectoryFixture::run(
            QStringList{QStringLiteral("import"), QStringLiteral("--db"), directory.database()} + options,
            &output),
        0);
    QVERIFY(output.contains("stations.csv: 20000 read, 20000 imported, 0 skipped"));
    QVERIFY(output.contains("tv.csv: 14322 read, 14322 imported, 0 skipped"));
    QVERIFY(output.contains("clips.csv: 13539 read, 13539 imported, 0 skipped"));
    const qint64 total = scalar(directory.database(), "SELECT count(*) FROM entries");
    // A few addresses appear in two files; each is one entry.
    QVERIFY(total > 47800 && total <= 47861);
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries WHERE kind = 2"), 13539);
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries WHERE kind = 2 AND show_id IS NULL"),
             0);
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM shows"), 614);
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entry_text WHERE entry_text MATCH 'jazz'"),
             scalar(directory.database(),
                    "SELECT count(*) FROM entries WHERE name LIKE '%jazz%' OR genre LIKE '%jazz%'"
                    " OR location LIKE '%jazz%' OR format LIKE '%jazz%'"));
    QVERIFY(directory.import(options));
    QCOMPARE(scalar(directory.database(), "SELECT count(*) FROM entries"), total);
    QCOMPARE(scalar(directory.database(), "SELECT max(id) FROM entries"),
             total);  // nothing deleted and re-added
  }
};

TESSIVAR_TEST_MAIN(TestCatalogueImport)
#include "test_catalogue_import.moc"
