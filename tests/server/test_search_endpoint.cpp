// Keyword search, list all and the result page's format, against a small catalogue.
#include "support/directory_fixture.h"
#include "support/test_environment.h"

using tessivar::test::anchorsOf;
using tessivar::test::DirectoryFixture;

class TestSearchEndpoint : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;

  QStringList live(const QByteArray &query)
  {
    return directory_.namesAt("/tessivar37.asp?V=3.7&P=T&" + query);
  }

 private slots:
  void initTestCase()
  {
    QVERIFY(directory_.importSampleCatalogue());
    QVERIFY(directory_.start());
  }

  void liveLayoutCarriesEveryField()
  {
    const auto answer = directory_.get("/tessivar37.asp?V=3.7&P=T&T1=ska+beat&F=1&MA=1&LIVE=1&SPD=0");
    QCOMPARE(answer.status, 200);
    const auto anchors = anchorsOf(answer.body);
    QCOMPARE(anchors.size(), 1);
    QCOMPARE(anchors[0].address, QStringLiteral("http://ska.example.test/live.mp3"));
    QCOMPARE(anchors[0].text,
             QStringLiteral("Ska Beat Radio**MP3&&Kingston, Jamaica^^128k$$0@@http://ska.example.test/"));
  }

  void archiveLayoutCarriesLengthAndItemNumber()
  {
    const auto answer = directory_.get("/tessivar37.asp?V=3.7&P=T&T1=kettle+two&F=1&MA=1&SPD=0");
    const auto anchors = anchorsOf(answer.body);
    QCOMPARE(anchors.size(), 1);
    static const QRegularExpression grammar(QStringLiteral(
        "^Kettle Jazz Session "
        "Two\\*\\*MP3&&Unknown\\^\\^32k\\$\\$65~~(\\d+)~\\$~\\$0@@http://clips.example.test/kettle$"));
    QVERIFY2(grammar.match(anchors[0].text).hasMatch(), qPrintable(anchors[0].text));
  }

  void fieldsCannotBreakThePage()
  {
    const auto answer = directory_.get("/tessivar37.asp?V=3.7&P=T&T1=quote&F=1&MA=1&LIVE=1");
    // One double quote pair per anchor and nothing else, so the client's parser stays in step.
    QCOMPARE(answer.body.count('"'), 2);
    const auto anchors = anchorsOf(answer.body);
    QCOMPARE(anchors.size(), 1);
    QCOMPARE(anchors[0].address, QStringLiteral("http://q.example.test/a%22b.mp3"));
    const QString text = anchors[0].text;
    QVERIFY(!text.contains(u'<') && !text.contains(u'>'));
    for (const char *marker : {"**", "&&", "^^", "$$", "@@"})
      QCOMPARE(text.count(QString::fromLatin1(marker)), 1);
    QVERIFY(text.startsWith(QStringLiteral("Quote Station b*x&y**MP3&&Marker^Land^^128k$$0@@")));
  }

  void wordsMustAllMatchOneAlternative()
  {
    QCOMPARE(live("T1=ska+kingston&F=1&MA=1&LIVE=1"), QStringList{QStringLiteral("Ska Beat Radio")});
    QCOMPARE(live("T1=ska+berlin&F=1&MA=1&LIVE=1"), QStringList{});
    QCOMPARE(live("T1=ska+berlin,techno&F=1&MA=1&LIVE=1"), QStringList{QStringLiteral("Techno Base")});
    QCOMPARE(live("T1=ska%20kingston&F=1&MA=1&LIVE=1").size(), 1);  // a blank separates words like "+"
  }

  void marksRestrictMatches()
  {
    // Plain words match inside words: "ska" finds Alaska and Nebraska too.
    QCOMPARE(live("T1=ska&F=1&MA=1&LIVE=1").size(), 3);
    // "^ska^" is the word ska: in "Ska Beat" and in the tag "ska-punk", not in Alaska.
    QStringList word = live("T1=^ska^&F=1&MA=1&LIVE=1");
    word.sort();
    QCOMPARE(word, (QStringList{QStringLiteral("Nebraska Skabilly"), QStringLiteral("Ska Beat Radio")}));
    QCOMPARE(live("T1=ska-&F=1&MA=1&LIVE=1"), QStringList{QStringLiteral("Nebraska Skabilly")});
    QCOMPARE(live("T1=punk&F=1&MA=1&LIVE=1&FMT=2"), QStringList{QStringLiteral("Nebraska Skabilly")});
    QCOMPARE(live("T1=`punk&F=1&MA=1&LIVE=1&FMT=2"), QStringList{});  // no tag starts with punk
    QCOMPARE(live("T1=^ska$&F=1&MA=1&LIVE=1&FMT=2"),
             QStringList{QStringLiteral("Ska Beat Radio")});  // the tag "ska"
    QCOMPARE(live("T1=reggae$&F=1&MA=1&LIVE=1&FMT=2"), QStringList{QStringLiteral("Ska Beat Radio")});
    QCOMPARE(live("T1=techno/&F=1&MA=1&LIVE=1"), QStringList{QStringLiteral("Techno Base")});
  }

  void genreTextsOfTheMenuFindTheirStations()
  {
    QStringList ska = live("T1=^ska^,^ska$,ska-,ska/,skamusic,`ska&F=1&MA=1&LIVE=1&FMT=2&SPD=0");
    ska.sort();
    QCOMPARE(ska, (QStringList{QStringLiteral("Nebraska Skabilly"), QStringLiteral("Ska Beat Radio")}));
    QCOMPARE(live("T1=techno^,techno$,techno-,techno/,technomusic&F=1&MA=1&LIVE=1&FMT=2"),
             QStringList{QStringLiteral("Techno Base")});
    QCOMPARE(live("T1=50s,50's,1950,fifties&F=1&MA=1&LIVE=1&FMT=2"),
             QStringList{QStringLiteral("Fifties Gold")});
    QCOMPARE(live("T1=Special&F=1&MA=1&LIVE=1&FMT=1"), QStringList{QStringLiteral("Metro Police Scanner")});
    QCOMPARE(live("T1=Talk/News&F=1&MA=1&NA=1&MPEG=1&LIVE=1&FMT=1").size(), 3);
    // A station whose name states its genre is found by the genre search.
    QCOMPARE(live("T1=Jazz&F=1&MA=1&LIVE=1&FMT=2"), QStringList{QStringLiteral("Jazz FM London")});
  }

  void genreSearchesLookAtTheGenreOnly()
  {
    // "Alaska" is in a name and a location, never in a genre.
    QCOMPARE(live("T1=alaska&F=1&MA=1&LIVE=1").size(), 1);
    QCOMPARE(live("T1=alaska&F=1&MA=1&LIVE=1&FMT=2").size(), 0);
  }

  void liveModeAndArchiveModeSeeDifferentEntries()
  {
    QCOMPARE(live("T1=jazz&F=1&MA=1&LIVE=1"), QStringList{QStringLiteral("Jazz FM London")});
    QCOMPARE(live("T1=jazz&F=1&MA=1"), (QStringList{QStringLiteral("Kettle Jazz Session One"),
                                                    QStringLiteral("Kettle Jazz Session Two")}));
  }

  void formatFlagsSelectFamilies()
  {
    QCOMPARE(live("T1=oldies&F=1&RA=1&LIVE=1&FMT=2"), QStringList{QStringLiteral("Real Oldies")});
    QCOMPARE(live("T1=oldies&F=1&MA=1&LIVE=1&FMT=2"), QStringList{QStringLiteral("Fifties Gold")});
    QCOMPARE(live("T1=talk&F=1&NA=1&LIVE=1"), QStringList{QStringLiteral("Talk Radio One")});
    QCOMPARE(live("T1=news&F=1&MPEG=1&LIVE=1"), QStringList{QStringLiteral("News 24 Live")});
    QCOMPARE(live("T1=piano&F=1&WA=1"), QStringList{QStringLiteral("Piano Lessons for Beginners")});
    QCOMPARE(live("T1=rome&F=1&AV=1"), QStringList{QStringLiteral("Ancient Rome Lecture")});
    QCOMPARE(live("T1=kite&F=1&NV=1"), QStringList{QStringLiteral("kite flying basics")});
    QCOMPARE(live("T1=rome&F=1&MA=1&NV=1"), QStringList{});
    // F=1 with no flag returns nothing; unknown formats come with MA (or UNK=1).
    QCOMPARE(live("T1=radio&F=1&LIVE=1"), QStringList{});
    QVERIFY(live("T1=rock&F=1&MA=1&LIVE=1").contains(QStringLiteral("Unknown Codec Radio")));
    QVERIFY(!live("T1=rock&F=1&RA=1&LIVE=1").contains(QStringLiteral("Unknown Codec Radio")));
  }

  void speedAndClipLimits()
  {
    QCOMPARE(live("T1=ska&F=1&MA=1&LIVE=1&SPD=64"), QStringList{QStringLiteral("Alaska Public Radio")});
    QCOMPARE(live("T1=kettle&F=1&MA=1&MBPS=100").size(), 1);  // 128k only
    QCOMPARE(live("T1=kettle&F=1&MA=1&MT=120"), QStringList{QStringLiteral("Kettle Jazz Session One")});
    QCOMPARE(live("T1=kettle&F=1&MA=1").size(), 3);
  }

  void resultsComeByRelevance()
  {
    // A name match outranks a genre match.
    const QStringList names = live("T1=jazz&F=1&MA=1");
    QCOMPARE(names.first(), QStringLiteral("Kettle Jazz Session One"));
    const QStringList reggae = live("T1=reggae,ska&F=1&MA=1&LIVE=1");
    QCOMPARE(reggae.first(), QStringLiteral("Ska Beat Radio"));
  }

  void aValueCannotPassForAnotherRequestInTheCache()
  {
    // "jazz<line break>F=1" as the whole text, asked first, must not answer "jazz" with F=1 later.
    const QStringList forged = live("T1=jazz%0AF%3D1&MA=1");
    QVERIFY(!live("T1=jazz&F=1&MA=1").isEmpty());
    QVERIFY(forged.isEmpty());
  }

  void importWhileServingIsSeenAtOnce()
  {
    // Answers are cached; an import makes the cached ones stale.
    QCOMPARE(live("T1=newcomer&F=1&MA=1&LIVE=1"), QStringList{});
    const QString csv = directory_.writeFile(QStringLiteral("new.csv"),
                                             "name,stream_url,codec\n"
                                             "Newcomer Radio,http://new.example.test/s.mp3,MP3\n");
    QVERIFY(directory_.import({QStringLiteral("--stations"), csv}));
    QCOMPARE(live("T1=newcomer&F=1&MA=1&LIVE=1"), QStringList{QStringLiteral("Newcomer Radio")});
  }

  void listAllReturnsEveryLiveEntryOrEveryClip()
  {
    const auto all = live("T1=ALL&&F=1&RA=1&MA=1&NA=1&MPEG=1&LIVE=1&SPD=0");
    QCOMPARE(all.size(), 12 + (all.contains(QStringLiteral("Newcomer Radio")) ? 1 : 0));
    QVERIFY(all.contains(QStringLiteral("News 24 Live")));
    QCOMPARE(live("T1=ALL&&F=1&MA=1&WA=1&AV=1&NV=1&SPD=0").size(), 7);
    QCOMPARE(live("T1=ALL&&F=1&LIVE=1&SPD=0").size(), 0);
  }
};

TESSIVAR_TEST_MAIN(TestSearchEndpoint)
#include "test_search_endpoint.moc"
