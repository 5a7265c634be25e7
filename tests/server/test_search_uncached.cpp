// Keyword searches computed for every request, with the answer cache off: case folding beyond
// ASCII, words too short for the trigram index, the order of results found by several
// alternatives, imports seen by the next search, and pages of searches with thousands of candidates.
#include "support/directory_fixture.h"
#include "support/test_environment.h"

using tessivar::test::DirectoryFixture;

class TestSearchUncached : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;

  QStringList live(const QByteArray &query)
  {
    return directory_.namesAt("/tessivar37.asp?V=3.7&P=T&F=1&MA=1&LIVE=1&" + query);
  }

 private slots:
  void initTestCase()
  {
    // U+212A KELVIN SIGN folds to "k"; "Ä" and "Ü" fold to "ä" and "ü".
    const QString csv = directory_.writeFile(
        QStringLiteral("stations.csv"),
        QStringLiteral("name,stream_url,tags,country,codec,bitrate\n"
                       "MÜNCHEN Welle,http://m.example.test/s.mp3,pop,Germany,MP3,128\n"
                       "\u212Aelvin Radio,http://k.example.test/s.mp3,science,Norway,MP3,64\n"
                       "ÄRZTE Funk,http://a.example.test/s.mp3,punk,Germany,MP3,128\n"
                       "Harbour Jazz,http://h.example.test/s.mp3,blues,Ireland,MP3,128\n"
                       "Blue Note,http://b.example.test/s.mp3,jazz,France,MP3,128\n"
                       "beta Swing,http://bs.example.test/s.mp3,swing,Spain,MP3,128\n"
                       "Alpha Swing,http://as.example.test/s.mp3,swing,Spain,MP3,128\n"
                       "Radio FM Nord,http://fm.example.test/s.mp3,rock,Norway,MP3,128\n")
            .toUtf8());
    QVERIFY(directory_.import({QStringLiteral("--stations"), csv}));
    QVERIFY(directory_.start({QStringLiteral("--cache-mb"), QStringLiteral("0")}));
  }

  void caseFoldingReachesBeyondAscii()
  {
    QCOMPARE(live("T1=m%C3%BCnchen"), QStringList{QStringLiteral("MÜNCHEN Welle")});
    QCOMPARE(live("T1=%C3%A4rzte+funk"), QStringList{QStringLiteral("ÄRZTE Funk")});
    QCOMPARE(live("T1=kelvin"), QStringList{QStringLiteral("\u212Aelvin Radio")});
    QCOMPARE(live("T1=^kelvin^+radio"), QStringList{QStringLiteral("\u212Aelvin Radio")});
  }

  void wordsTooShortForTheIndexAreStillSearched()
  {
    QCOMPARE(live("T1=fm"), QStringList{QStringLiteral("Radio FM Nord")});
    QCOMPARE(live("T1=^fm^+nord"), QStringList{QStringLiteral("Radio FM Nord")});
    QCOMPARE(live("T1=%C3%BC"), QStringList{QStringLiteral("MÜNCHEN Welle")});
    QCOMPARE(live("T1=zz").size(), 2);        // Harbour Jazz by name, Blue Note by its tag "jazz"
    QCOMPARE(live("T1=qqq"), QStringList{});  // a trigram no entry holds
    // A short word's alternative beside indexed ones: each entry once, by its best score.
    QCOMPARE(live("T1=fm,nord,harbour"),
             (QStringList{QStringLiteral("Harbour Jazz"), QStringLiteral("Radio FM Nord")}));
  }

  void orderIsBestAlternativeThenNameIgnoringCase()
  {
    // Harbour Jazz: "jazz" as a word of its name (24) beats Blue Note's tag "jazz" (16); the
    // "blues" alternative finds Harbour Jazz's tag, which does not lower its best score.
    QCOMPARE(live("T1=blues,jazz"),
             (QStringList{QStringLiteral("Harbour Jazz"), QStringLiteral("Blue Note")}));
    // Equal scores come by name, case ignored: "Alpha" before "beta".
    QCOMPARE(live("T1=swing&FMT=2"),
             (QStringList{QStringLiteral("Alpha Swing"), QStringLiteral("beta Swing")}));
  }

  // With thousands of candidates the page is settled by walking the catalogue in name order; entries
  // that score higher but come last in that order must still lead it.
  void manyCandidatesKeepTheBestScoresFirst_data()
  {
    QTest::addColumn<QByteArray>("query");
    QTest::newRow("a word in every format, a few names") << QByteArray("T1=mp3");
    QTest::newRow("a tag in every entry, a longer one in a few") << QByteArray("T1=zork,blue+zork&FMT=2");
  }

  void manyCandidatesKeepTheBestScoresFirst()
  {
    QFETCH(QByteArray, query);
    DirectoryFixture large;
    QByteArray csv = "name,stream_url,tags,codec\n";
    QStringList alphas;
    QStringList zulus;
    for (int i = 0; i < 3000; ++i) {
      alphas << QStringLiteral("Alpha %1").arg(i);
      csv += alphas.back().toUtf8() + ",http://a" + QByteArray::number(i) + ".example.test/s,zork,MP3\n";
    }
    for (int i = 0; i < 20; ++i) {
      zulus << QStringLiteral("Zulu mp3 %1").arg(i);
      csv += zulus.back().toUtf8() + ",http://z" + QByteArray::number(i) + ".example.test/s,blue zork,MP3\n";
    }
    QVERIFY(large.import({QStringLiteral("--stations"), large.writeFile(QStringLiteral("large.csv"), csv)}));
    QVERIFY(large.start({QStringLiteral("--cache-mb"), QStringLiteral("0")}));
    const auto byName = [](const QString &a, const QString &b) {
      return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    };
    std::sort(alphas.begin(), alphas.end(), byName);
    std::sort(zulus.begin(), zulus.end(), byName);
    const QStringList expected = zulus + alphas.mid(0, 250 - zulus.size());
    QCOMPARE(large.namesAt("/tessivar37.asp?V=3.7&P=T&F=1&MA=1&LIVE=1&" + query), expected);
  }

  // A search with thousands of candidates works out once what a word scores in the fields outside the
  // name that entries share: fields that only run together alike ("blue" + "jazz", "bluejazz" + "") are
  // not the same.
  void fieldsThatRunTogetherAlikeAreNotShared()
  {
    DirectoryFixture large;
    QByteArray csv =
        "name,stream_url,tags,country,codec\n"
        "Aardvark A,http://aa.example.test/s,jazz,Blue,MP3\n"
        "Aardvark B,http://ab.example.test/s,,Bluejazz,MP3\n";
    for (int i = 0; i < 5000; ++i)
      csv += "Filler " + QByteArray::number(i) + ",http://f" + QByteArray::number(i) +
             ".example.test/s,zork,France,MP3\n";
    QVERIFY(large.import({QStringLiteral("--stations"), large.writeFile(QStringLiteral("large.csv"), csv)}));
    QVERIFY(large.start({QStringLiteral("--cache-mb"), QStringLiteral("0")}));
    const QStringList names = large.namesAt("/tessivar37.asp?V=3.7&P=T&F=1&MA=1&LIVE=1&T1=zork,%5Ejazz%5E");
    QCOMPARE(names.mid(0, 2), (QStringList{QStringLiteral("Aardvark A"), QStringLiteral("Filler 0")}));
  }

  void importIsSeenByTheNextSearch()
  {
    QCOMPARE(live("T1=lighthouse"), QStringList{});
    const QString csv = directory_.writeFile(QStringLiteral("more.csv"),
                                             "name,stream_url,codec\n"
                                             "Lighthouse Radio,http://l.example.test/s.mp3,MP3\n"
                                             "Harbour Lights,http://h.example.test/s.mp3,MP3\n");
    QVERIFY(directory_.import({QStringLiteral("--stations"), csv}));
    QCOMPARE(live("T1=lighthouse"), QStringList{QStringLiteral("Lighthouse Radio")});
    // The same address renamed: the new name is found, the old one no more.
    QCOMPARE(live("T1=harbour"), QStringList{QStringLiteral("Harbour Lights")});
    QCOMPARE(live("T1=blues,jazz"), QStringList{QStringLiteral("Blue Note")});
  }
};

TESSIVAR_TEST_MAIN(TestSearchUncached)
#include "test_search_uncached.moc"
