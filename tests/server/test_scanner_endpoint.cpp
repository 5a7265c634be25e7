// The scanner's one-station-at-a-time walk (GS=1) and its answer format.
#include "support/directory_fixture.h"
#include "support/test_environment.h"

using tessivar::test::DirectoryFixture;

class TestScannerEndpoint : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;

  QByteArray scan(const QByteArray &style, const QByteArray &position,
                  const QByteArray &extra = "&UNK=0&SPD=0")
  {
    QByteArray target = "/tessivar37.asp?V=3.7&P=T";
    if (!style.isEmpty()) target += "&STYLE=" + style;
    const auto answer = directory_.get(target + "&GS=1" + extra + "&LS=" + position);
    return answer.status == 200 ? answer.body : QByteArray("status " + QByteArray::number(answer.status));
  }

  // Every station of a style, following the position token until the end marker.
  QStringList walk(const QByteArray &style, const QByteArray &extra = "&UNK=0&SPD=0")
  {
    QStringList names;
    QByteArray position = "0";
    for (int step = 0; step < 50; ++step) {
      const QByteArray answer = scan(style, position, extra);
      if (answer == "EXCEPTION OC") return names;
      const QStringList fields = QString::fromUtf8(answer).split(QStringLiteral("@@@@"));
      if (fields.size() != 8) return {QStringLiteral("bad answer: ") + QString::fromUtf8(answer)};
      position = fields[0].toUtf8();
      names << fields[2];
    }
    return {QStringLiteral("no end")};
  }

 private slots:
  void initTestCase()
  {
    QVERIFY(directory_.importSampleCatalogue());
    QVERIFY(directory_.start());
  }

  void answerHasEightFields()
  {
    const QByteArray answer = scan("Ska", "0");
    // position, website, name, address, format, state, country, rate with "@@@@" between them
    QStringList parts = QString::fromUtf8(answer).split(QStringLiteral("@@@@"));
    QCOMPARE(parts.size(), 8);
    QVERIFY(parts[0].toLongLong() > 0);
    QCOMPARE(parts[1], QStringLiteral("http://ska.example.test/"));
    QCOMPARE(parts[2], QStringLiteral("Ska Beat Radio"));
    QCOMPARE(parts[3], QStringLiteral("http://ska.example.test/live.mp3"));
    QCOMPARE(parts[4], QStringLiteral("MP3"));
    QCOMPARE(parts[5], QStringLiteral("Kingston"));
    QCOMPARE(parts[6], QStringLiteral("Jamaica"));
    QCOMPARE(parts[7], QStringLiteral("128k<BR>"));
  }

  void walkVisitsEachStationOfTheStyleOnceThenEnds()
  {
    QCOMPARE(walk("Ska"),
             (QStringList{QStringLiteral("Ska Beat Radio"), QStringLiteral("Nebraska Skabilly")}));
    QCOMPARE(walk("^ska^,^ska$"),
             (QStringList{QStringLiteral("Ska Beat Radio"), QStringLiteral("Nebraska Skabilly")}));
    QCOMPARE(walk("ska$"), QStringList{QStringLiteral("Ska Beat Radio")});
    QCOMPARE(walk("special"), QStringList{QStringLiteral("Metro Police Scanner")});
    QCOMPARE(walk("Talk/News"),
             (QStringList{QStringLiteral("Alaska Public Radio"), QStringLiteral("Talk Radio One")}));
    QCOMPARE(walk("50s,50's,1950,fifties"), QStringList{QStringLiteral("Fifties Gold")});
  }

  void allStationsWalksTheWholeRadioList()
  {
    const QStringList known = walk({});
    QCOMPARE(known.size(), 10);  // radio only; the station of unknown format is left out
    QVERIFY(!known.contains(QStringLiteral("Unknown Codec Radio")));
    QVERIFY(!known.contains(QStringLiteral("News 24 Live")));
    QCOMPARE(walk({}, "&UNK=1&SPD=0").size(), 11);
    // The speed limit applies too: 320k Techno Base goes above 300.
    QVERIFY(!walk({}, "&UNK=0&SPD=300").contains(QStringLiteral("Techno Base")));
  }

  void styleWithoutStationsAnswersError()
  {
    QCOMPARE(scan("Zydeco", "0"), QByteArray("ERROR<BR>"));
    QCOMPARE(scan("Zydeco", "12345"), QByteArray("ERROR<BR>"));
    QCOMPARE(scan("Ska", "999999999"), QByteArray("EXCEPTION OC"));
  }

  void badPositionIsRefused()
  {
    QCOMPARE(scan("Ska", "-1"), QByteArray("status 400"));
    QCOMPARE(scan("Ska", "abc"), QByteArray("status 400"));
  }
};

TESSIVAR_TEST_MAIN(TestScannerEndpoint)
#include "test_scanner_endpoint.moc"
