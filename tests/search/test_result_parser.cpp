#include "base/number_text.h"
#include "base/number_value.h"
#include "results/result_table_model.h"
#include "search/result_cells.h"
#include "search/result_parser.h"
#include "search/station_record.h"
#include "support/test_environment.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>

using namespace tessivar;

namespace {

// A model's rows as "cell|cell|...|#picture" lines, easy to compare and to read in a failure.
QStringList dump(const ResultTableModel &model)
{
  QStringList rows;
  for (int r = 0; r < model.rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < ResultTableModel::ColumnCount; ++c) cells << model.text(r, c);
    rows << cells.join(u'|') + u"|#"_qs + QString::number(model.statusPicture(r));
  }
  return rows;
}

struct Run
{
  ResultTableModel results;
  ResultTableModel related;
  ResultPageParser parser{&results, &related};

  explicit Run(ResultLayout layout = ResultLayout::Live)
  {
    parser.setLayout(layout);
    parser.beginDocument();
  }
  void feed(const QByteArray &page, qsizetype blockSize)
  {
    for (qsizetype at = 0; at < page.size(); at += blockSize)
      parser.extract(QByteArrayView(page).sliced(at, std::min(blockSize, page.size() - at)));
  }
};

QStringList liveRow(const QString &address, const QString &text)
{
  Run run;
  run.parser.AddResultRow(address, text);
  return dump(run.results);
}

QStringList archiveRow(const QString &address, const QString &text)
{
  Run run(ResultLayout::Archive);
  run.parser.AddResultRow(address, text);
  return dump(run.results);
}

const QByteArray kPage = QByteArrayLiteral(
    "<HTML><BODY>\r\n"
    "<A HREF=\"http://one.example/a.ram\">Radio One**RealAudio&&Boston, "
    "MA^^56$$1@@http://one.example</A><BR>\r\n"
    "<a href=\"http://two.example/b.asx\">Zw\xc3\xb6lf \xe2\x82\xac\xf0\x9f\x8e\xb5**Windows Media&&, "
    "Z\xc3\xbcrich^^"
    "128k$$0@@Unknown</a><BR>\r\n"
    "<A hReF=\"http://three.example/c\">Just a name</A><BR>\r\n"
    "&&&&TOTALPAGES:12<BR>\r\n"
    "</BODY></HTML>\r\n");

}  // namespace

class TestResultParser final : public QObject
{
  Q_OBJECT

 private slots:
  void speedNormalisation_data();
  void speedNormalisation();
  void speedFilter();
  void liveColumns();
  void liveLocation_data();
  void liveLocation();
  void archiveColumns();
  void archiveLength_data();
  void archiveLength();
  void archivePicture_data();
  void archivePicture();
  void missingMarkers();
  void splitAtEveryByte();
  void textBeyondAscii();
  void layoutDecidedPerRow();
  void totalPages();
  void captionsCountInTens();
  void relatedRowsGoToSecondModel();
  void malformedAnchorsAreSkipped_data();
  void malformedAnchorsAreSkipped();
  void remainderKeepsTextAfterLastAnchor();
  void stopKeepsRowsSoFar();
  void progress();
  void binaryGarbage();
  void largePagesStayLinear();
};

void TestResultParser::speedNormalisation_data()
{
  QTest::addColumn<QString>("speed");
  QTest::addColumn<QString>("expected");
  QTest::newRow("number") << u"56"_qs << u"56k"_qs;
  QTest::newRow("already k") << u"56k"_qs << u"56k"_qs;
  QTest::newRow("capital K") << u"56K"_qs << u"56Kk"_qs;
  QTest::newRow("zero") << u"0"_qs << u"Unknown"_qs;
  QTest::newRow("empty") << QString() << u"Unknown"_qs;
  QTest::newRow("no number") << u"?bps"_qs << u"Unknown"_qs;
  QTest::newRow("fraction") << u"28.8"_qs << u"28.8k"_qs;
}

void TestResultParser::speedNormalisation()
{
  QFETCH(QString, speed);
  QFETCH(QString, expected);
  QCOMPARE(QString::fromUtf8(normaliseSpeed(speed.toUtf8())), expected);
  const QByteArray text = "Name**MP3&&Here^^" + speed.toUtf8() + "$$1@@site";
  QCOMPARE(QString::fromUtf8(splitStationRecord("u", text, ResultLayout::Live).speed()), expected);
}

void TestResultParser::speedFilter()
{
  Run run;
  run.parser.setConnectionSpeed(u"Phone Modem 28.8"_qs);
  QVERIFY(!run.parser.AddResultRow(u"a", u"Fast**MP3&&X^^56k$$1@@w"));
  QCOMPARE(run.parser.resultCount(), 0);
  QCOMPARE(run.results.rowCount(), 0);
  QVERIFY(run.parser.AddResultRow(u"b", u"Unknown speed**MP3&&X^^$$1@@w"));
  QVERIFY(run.parser.AddResultRow(u"c", u"Slow**MP3&&X^^24$$1@@w"));
  QCOMPARE(run.parser.resultCount(), 2);
  QCOMPARE(run.results.text(0, 0), u"Unknown speed"_qs);
  QCOMPARE(run.results.text(1, 0), u"Slow"_qs);

  QVERIFY(exceedsConnectionSpeed(u"301k", u"Cable/DSL"));
  QVERIFY(!exceedsConnectionSpeed(u"300k", u"Cable/DSL"));
  QVERIFY(!exceedsConnectionSpeed(u"9999k", u"All Connections"));
  // A fraction too small for a double is about 0, not the largest number there is.
  const QString tiny = u"0."_qs + QString(400, u'0') + u"1k"_qs;
  QCOMPARE(numberValue(tiny), 0.0);
  QVERIFY(!exceedsConnectionSpeed(tiny, u"Phone Modem 28.8"));
  QCOMPARE(numberValue(QString(400, u'9')), std::numeric_limits<double>::max());
}

void TestResultParser::liveColumns()
{
  QCOMPARE(
      liveRow(u"  \"http://x/a.ram\" "_qs, u"  Jazz FM **  RealAudio &&Boston, MA^^ 56$$1@@http://jazz"_qs),
      QStringList{u"Jazz FM|RealAudio|Boston, MA|56k|http://x/a.ram|http://jazz|||56||#0"_qs});
  // A text without "**" is a name alone.
  QCOMPARE(liveRow(u"u"_qs, u"Only a name $$ @@"_qs),
           QStringList{u"Only a name $$ @@|Unknown||Unknown|u||||5000||#0"_qs});
  QCOMPARE(liveRow(u"u"_qs, u"  **&&^^$$@@"_qs), QStringList{u"Unknown|Unknown||Unknown|u||||5000||#0"_qs});
}

void TestResultParser::liveLocation_data()
{
  QTest::addColumn<QString>("location");
  QTest::addColumn<QString>("expected");
  QTest::newRow("unknown internet") << u"Unknown, Internet"_qs << u"Internet Based"_qs;
  QTest::newRow("leading comma") << u", Boston"_qs << u"Boston"_qs;
  QTest::newRow("trailing comma") << u"Boston, MA,"_qs << u"Boston"_qs;
  QTest::newRow("lone comma") << u" , "_qs << u"Unknown"_qs;
  QTest::newRow("unknown twice") << u"Unknown, Unknown"_qs << u"Unknown"_qs;
  QTest::newRow("unknown prefix") << u"Unknown, Texas"_qs << u"Texas"_qs;
  QTest::newRow("empty") << QString() << QString();
}

void TestResultParser::liveLocation()
{
  QFETCH(QString, location);
  QFETCH(QString, expected);
  QCOMPARE(QString::fromUtf8(cleanLocation(location.toUtf8())), expected);
}

void TestResultParser::archiveColumns()
{
  QCOMPARE(
      archiveRow(u"http://c/x.rm"_qs, u" Talk show **RealVideo&&loc^^28.8$$125~~4711~$~$1@@http://site"_qs),
      QStringList{u"|[2:5]|28.8k|Talk show|4711|http://c/x.rm|http://site|1|28.8|125|#2"_qs});
  // No "k" in the speed column: nothing in the sort column. "Unknown" has one, as its third letter.
  QCOMPARE(archiveRow(u"u"_qs, u"T**F&&L^^$$~~~$~$7@@w"_qs),
           QStringList{u"?|[??:??]|Unknown|T|0|u|w||0||#0"_qs});
  QCOMPARE(archiveRow(u"u"_qs, u"Bare title"_qs), QStringList{u"?|[??:??]||Bare title|0|u|||||#0"_qs});
  // Round numbers stay plain digits: an item number or a sort key read back as 1 would be wrong.
  QCOMPARE(archiveRow(u"u"_qs, u"T**F&&L^^100000$$6000000~~100000~$~$1@@w"_qs),
           QStringList{u"|[100000:0]|100000k|T|100000|u|w|1|100000|6000000|#2"_qs});
  QCOMPARE(liveRow(u"u"_qs, u"T**F&&L^^2000000$$1@@w"_qs),
           QStringList{u"T|F|L|2000000k|u|w|||2000000||#0"_qs});
  QCOMPARE(shortestNumberText(28.8), u"28.8"_qs);
  QCOMPARE(shortestNumberText(1e20), u"100000000000000000000"_qs);
}

void TestResultParser::archiveLength_data()
{
  QTest::addColumn<QString>("seconds");
  QTest::addColumn<QString>("expected");
  QTest::newRow("59") << u"59"_qs << u"[0:59]"_qs;
  QTest::newRow("60") << u"60"_qs << u"[1:0]"_qs;
  QTest::newRow("65") << u"65"_qs << u"[1:5]"_qs;
  QTest::newRow("600") << u"600"_qs << u"[10:0]"_qs;
  QTest::newRow("fraction") << u"61.9"_qs << u"[1:1]"_qs;
  QTest::newRow("zero") << u"0"_qs << u"[??:??]"_qs;
  QTest::newRow("empty") << QString() << u"[??:??]"_qs;
  QTest::newRow("negative") << u"-5"_qs << u"[??:??]"_qs;
}

void TestResultParser::archiveLength()
{
  QFETCH(QString, seconds);
  QFETCH(QString, expected);
  QCOMPARE(QString::fromUtf8(lengthText(seconds.toUtf8())), expected);
}

void TestResultParser::archivePicture_data()
{
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("flag");
  QTest::addColumn<int>("picture");
  QTest::addColumn<QString>("column0");
  QTest::addColumn<QString>("column7");
  QTest::newRow("flag 0") << u"a.rm"_qs << u"0"_qs << 1 << QString() << u"0"_qs;
  QTest::newRow("flag 1") << u"a.rm"_qs << u"1"_qs << 2 << QString() << u"1"_qs;
  QTest::newRow("other flag") << u"a.rm"_qs << u"x"_qs << 0 << u"?"_qs << QString();
  QTest::newRow("pls any case") << u"a.PlS"_qs << u"1"_qs << 1 << QString() << u"0"_qs;
  QTest::newRow("mp3") << u"a.mp3"_qs << u""_qs << 1 << QString() << u"0"_qs;
  QTest::newRow("m3u") << u"a.M3U"_qs << u"9"_qs << 1 << QString() << u"0"_qs;
  QTest::newRow("short address") << u"a"_qs << u"1"_qs << 2 << QString() << u"1"_qs;
}

void TestResultParser::archivePicture()
{
  QFETCH(QString, address);
  QFETCH(QString, flag);
  QFETCH(int, picture);
  QFETCH(QString, column0);
  QFETCH(QString, column7);
  Run run(ResultLayout::Archive);
  run.parser.AddResultRow(address, u"T**F&&L^^5$$60~~1~$~$"_qs + flag + u"@@w"_qs);
  QCOMPARE(run.results.statusPicture(0), picture);
  QCOMPARE(run.results.data(run.results.index(0, 0), ResultTableModel::StatusPictureRole).toInt(), picture);
  QCOMPARE(run.results.text(0, 0), column0);
  QCOMPARE(run.results.text(0, 7), column7);
}

void TestResultParser::missingMarkers()
{
  // Each missing marker empties the field before it; later fields are still found.
  const StationRecord noFormatEnd = splitStationRecord("u", "N**MP3^^56$$1@@w", ResultLayout::Live);
  QVERIFY(noFormatEnd.FormatText.isEmpty());
  QCOMPARE(noFormatEnd.Location, "MP3");
  QCOMPARE(noFormatEnd.speed(), "56k");
  QCOMPARE(noFormatEnd.WebsiteURL, "w");
  const StationRecord noDollars = splitStationRecord("u", "N**F&&L^^56@@w", ResultLayout::Archive);
  QCOMPARE(noDollars.speed(), "Unknown");
  QVERIFY(noDollars.WebsiteURL.isEmpty() && noDollars.StatusFlag.isEmpty());
  const StationRecord noId = splitStationRecord("u", "N**F&&L^^5$$60~~12@@w", ResultLayout::Archive);
  QCOMPARE(noId.LengthSeconds, "60");
  QCOMPARE(noId.ItemID, 0);
  QCOMPARE(noId.StatusFlag, "12");
  const StationRecord hugeId =
      splitStationRecord("u", "N**F&&L^^5$$60~~99999999999~$~$1@@w", ResultLayout::Archive);
  QCOMPARE(hugeId.ItemID, 0);
}

void TestResultParser::splitAtEveryByte()
{
  Run whole;
  QSignalSpy inserted(&whole.results, &QAbstractItemModel::rowsInserted);
  whole.feed(kPage, kPage.size());
  QCOMPARE(inserted.size(), 1);  // the rows of one block arrive together
  const QStringList expected = dump(whole.results);
  QCOMPARE(expected.size(), 3);
  QCOMPARE(expected.at(1),
           u"Zwölf €🎵|Windows Media|Zürich|128k|http://two.example/b.asx|Unknown|||128||#0"_qs);
  QCOMPARE(expected.at(2), u"Just a name|Unknown||Unknown|http://three.example/c||||5000||#0"_qs);

  for (qsizetype cut = 1; cut < kPage.size(); ++cut) {
    Run run;
    run.parser.extract(kPage.first(cut));
    run.parser.extract(kPage.sliced(cut));
    QCOMPARE(dump(run.results), expected);
    QCOMPARE(run.parser.resultCount(), 3);
    QCOMPARE(run.parser.totalPages(), u"12"_qs);
  }
  for (const qsizetype size : {1, 2, 3, 5, 7}) {
    Run run;
    run.feed(kPage, size);
    QCOMPARE(dump(run.results), expected);
  }
}

void TestResultParser::textBeyondAscii()
{
  // White space is what QString takes for it, no-break and ideographic spaces included; bytes
  // that a removal brings together stay the broken characters they were; a byte order mark
  // inside the text is text.
  Run run;
  run.feed("<A HREF=\"u\">\xc2\xa0Name\xe3\x80\x80**\xef\xbb\xbfMP3&&\xc3Unknown, \xbc^^56$$1@@w</A>", 7);
  QCOMPARE(dump(run.results), QStringList{u"Name|\uFEFFMP3|\uFFFD\uFFFD|56k|u|w|||56||#0"_qs});
}

void TestResultParser::layoutDecidedPerRow()
{
  Run run;
  ResultLayout layout = ResultLayout::Archive;
  run.parser.setLayoutSource([&layout] { return layout; });
  run.parser.extract("<A HREF=\"u1.rm\">T1**F&&L^^5$$60~~3~$~$1@@w</A>");
  layout = ResultLayout::Live;
  run.parser.extract("<A HREF=\"u2\">T2**F&&L^^5$$1@@w</A>");
  QCOMPARE(run.results.text(0, 3), u"T1"_qs);
  QCOMPARE(run.results.text(0, 4), u"3"_qs);
  QCOMPARE(run.results.text(1, 0), u"T2"_qs);
  QCOMPARE(run.results.text(1, 4), u"u2"_qs);
}

void TestResultParser::totalPages()
{
  Run run;
  run.parser.setCurrentPage(1);
  QSignalSpy labels(&run.parser, &ResultPageParser::browseLabelChanged);
  run.parser.extract("<P>&&&&TOTALPAGES:1");
  QCOMPARE(run.parser.totalPages(), u"1"_qs);
  run.parser.extract("2<B");
  run.parser.extract("R>and the rest<BR>");
  QCOMPARE(run.parser.totalPages(), u"12"_qs);
  QCOMPARE(labels.size(), 3);
  QCOMPARE(labels.last().at(0).toString(), u"Current Page : (1 of 12)"_qs);
  run.parser.extract("<A HREF=\"u\">x</A>");
  QCOMPARE(labels.size(), 3);

  // Markers are case-sensitive; a new document keeps the last count until it names one.
  run.parser.beginDocument();
  run.parser.extract("&&&&totalpages:99<BR>");
  QCOMPARE(run.parser.totalPages(), u"12"_qs);
  // A count whose "<BR>" never comes stands for at most a short text.
  run.parser.extract("&&&&TOTALPAGES:3" + QByteArray(1000, 'x'));
  QCOMPARE(run.parser.totalPages().size(), 64);
  QVERIFY(run.parser.totalPages().startsWith(u"3xx"));
  // A "<BR>" that starts within those 64 bytes ends the count, also when a block ends inside it.
  const QByteArray count = "&&&&TOTALPAGES:7" + QByteArray(61, ' ');
  for (const qsizetype block : {qsizetype(1000), count.size() + 2}) {
    Run cut;
    cut.feed(count + "<BR>and the rest", block);
    QCOMPARE(cut.parser.totalPages(), u"7"_qs + QString(61, u' '));
  }
}

void TestResultParser::captionsCountInTens()
{
  Run run;
  QSignalSpy captions(&run.parser, &ResultPageParser::searchCaptionChanged);
  QSignalSpy counts(&run.parser, &ResultPageParser::resultCountChanged);
  QByteArray page;
  for (int i = 0; i < 25; ++i)
    page += "<A HREF=\"u" + QByteArray::number(i) + "\">S" + QByteArray::number(i) + "</A>\n";
  run.feed(page, 40);
  QCOMPARE(run.parser.resultCount(), 25);
  QStringList seen;
  for (const QList<QVariant> &signal : captions) seen << signal.at(0).toString();
  QCOMPARE(seen, (QStringList{u"  Search Results (10)"_qs, u"  Search Results (20)"_qs}));
  QCOMPARE(counts.last().at(0).toInt(), 25);
  QCOMPARE(searchResultsCaption(1), u"  Search Results (1)"_qs);
}

void TestResultParser::relatedRowsGoToSecondModel()
{
  Run run(ResultLayout::Archive);
  run.parser.setRelatedMode(true);
  QSignalSpy captions(&run.parser, &ResultPageParser::relatedCaptionChanged);
  for (int i = 0; i < 4; ++i)
    run.parser.extract("<A HREF=\"r" + QByteArray::number(i) + ".rm\">T" + QByteArray::number(i) + "</A>");
  QCOMPARE(run.results.rowCount(), 0);
  QCOMPARE(run.related.rowCount(), 4);
  QCOMPARE(run.related.text(3, 5), u"r3.rm"_qs);
  QCOMPARE(captions.size(), 2);
  QCOMPARE(captions.at(0).at(0).toString(), u"  Addtional Related Results (2)"_qs);
  QCOMPARE(captions.at(1).at(0).toString(), u"  Addtional Related Results (3)"_qs);
}

void TestResultParser::malformedAnchorsAreSkipped_data()
{
  QTest::addColumn<QByteArray>("page");
  QTest::addColumn<QStringList>("names");
  QTest::addColumn<int>("malformed");
  const QByteArray good = "<A HREF=\"good\">Good</A>";
  QTest::newRow("no anchors") << QByteArray("<HTML>404 Object Not Found</HTML>") << QStringList() << 0;
  QTest::newRow("no quote") << "<A HREF=bare>Bare</A>" + good << QStringList{u"Good"_qs} << 1;
  QTest::newRow("no text") << "<A HREF=\"x\"></A>" + good << QStringList{u"Good"_qs} << 1;
  QTest::newRow("no address") << "<A HREF=\"\">Empty</A>" + good << QStringList{u"Good"_qs} << 1;
  QTest::newRow("tag never ends") << "<A HREF=\"x\"</A>" + good << QStringList{u"Good"_qs} << 1;
  QTest::newRow("stray quote") << "<BODY BGCOLOR=\"#FFFFFF\">" + good + " \"quoted\" " + good
                               << QStringList{u"Good"_qs, u"Good"_qs} << 0;
  QTest::newRow("stray close") << "</A>" + good << QStringList{u"Good"_qs} << 0;
  QTest::newRow("never closed") << "<A HREF=\"lost\">Lost " + good << QStringList{u"Good"_qs} << 1;
  QTest::newRow("href in text") << "<a href=\"a\">Data a HREF x</a>" + good
                                << QStringList{u"Data a HREF x"_qs, u"Good"_qs} << 0;
  QTest::newRow("quote in text") << QByteArray("<A HREF=\"u\">Say \"hi\"</A>")
                                 << QStringList{u"Say \"hi\""_qs} << 0;
  // Too long to be a result, whether the page came in one block or in many.
  const QByteArray tooLong = "<A HREF=\"long\">" + QByteArray(64 * 1024, 'x') + "</A>";
  QTest::newRow("too long") << tooLong + good << QStringList{u"Good"_qs} << 1;
  QTest::newRow("too long, opened twice")
      << "<A HREF=\"a\">A" + tooLong + good << QStringList{u"Good"_qs} << 2;
}

void TestResultParser::malformedAnchorsAreSkipped()
{
  QFETCH(QByteArray, page);
  QFETCH(QStringList, names);
  QFETCH(int, malformed);
  for (const qsizetype block : {page.size(), qsizetype(1)}) {
    Run run;
    run.feed(page, block);
    QStringList seen;
    for (int r = 0; r < run.results.rowCount(); ++r) seen << run.results.text(r, 0);
    QCOMPARE(seen, names);
    QCOMPARE(run.parser.resultCount(), names.size());
    QCOMPARE(run.parser.malformedAnchors(), malformed);
    if (names.size() == 2) QCOMPARE(run.results.text(1, 4), u"good"_qs);
  }
}

void TestResultParser::remainderKeepsTextAfterLastAnchor()
{
  Run run;
  run.parser.extract("<HTML>404 File Not Found");
  QCOMPARE(run.parser.responseBuffer(), QByteArray("<HTML>404 File Not Found"));
  run.feed(kPage, 9);
  QVERIFY(run.parser.responseBuffer().startsWith("/A><BR>\r\n&&&&TOTALPAGES:12"));
  // An anchor cut off by the end of the document stays unparsed.
  run.parser.beginDocument();
  run.parser.extract("<A HREF=\"u\">Half**MP3</");
  QCOMPARE(run.parser.responseBuffer(), QByteArray("<A HREF=\"u\">Half**MP3</"));
}

void TestResultParser::stopKeepsRowsSoFar()
{
  Run run;
  QObject::connect(&run.results, &QAbstractItemModel::rowsInserted, &run.parser,
                   [&run] { run.parser.setStopRequested(true); });
  run.parser.extract("<A HREF=\"a\">A</A><A HREF=\"b\">B</A>");
  QCOMPARE(run.parser.resultCount(), 2);
  run.parser.extract("<A HREF=\"c\">C</A>");
  QCOMPARE(run.parser.resultCount(), 2);
  QCOMPARE(run.results.rowCount(), 2);
  run.parser.setStopRequested(false);
  run.parser.beginDocument();
  run.parser.extract("<A HREF=\"c\">C</A>");
  QCOMPARE(run.results.text(2, 0), u"C"_qs);
}

void TestResultParser::progress()
{
  Run run;
  QSignalSpy spy(&run.parser, &ResultPageParser::progressChanged);
  run.parser.extract("<A HREF=\"a\">A</A><A HR");
  QCOMPARE(spy.size(), 1);
  // The maximum covers the unparsed text; the value is the unparsed length at the last anchor.
  QCOMPARE(spy.last().at(0).toInt(), 24);
  QCOMPARE(spy.last().at(1).toInt(), 22);
  run.parser.extract("EF=\"b\">B</A>");
  QCOMPARE(spy.last().at(0).toInt(), 24);
  QCOMPARE(spy.last().at(1).toInt(), 20);
}

void TestResultParser::binaryGarbage()
{
  QRandomGenerator random(20240501);
  const QByteArray pieces[] = {
      "<A HREF=\"",      "</A>", "\"",       ">",    "<",      "**", "&&", "^^", "$$", "~~", "~$~$", "@@",
      "&&&&TOTALPAGES:", "<BR>", "\xf0\x9f", "\xc3", " a href"};
  for (int round = 0; round < 200; ++round) {
    QByteArray page;
    while (page.size() < 2000) {
      if (random.bounded(3) == 0) {
        page += pieces[random.bounded(int(std::size(pieces)))];
      } else {
        page += char(random.bounded(256));
      }
    }
    Run run(round % 2 ? ResultLayout::Archive : ResultLayout::Live);
    run.feed(page, 1 + random.bounded(300));
    QCOMPARE(run.results.rowCount(), run.parser.resultCount());
  }
}

void TestResultParser::largePagesStayLinear()
{
  // 50 MB without a single complete anchor, in 64 KB blocks: every block must cost about the same.
  const QByteArray block =
      QByteArray("<A HREF=\"x\">never closed, \"quotes\", &&&&TOTALPAGES:7 ").repeated(1300).left(65536);
  Run run;
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < 800; ++i) run.parser.extract(block);
  QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
  QCOMPARE(run.parser.resultCount(), 0);
  QCOMPARE(run.parser.responseBuffer().size(), 800 * 65536);

  // A closing tag at last closes only the latest of the open tags.
  run.parser.extract("</A>");
  QCOMPARE(run.parser.resultCount(), 1);
  QCOMPARE(run.results.text(0, 4), u"x"_qs);
  QVERIFY(run.parser.malformedAnchors() > 900000);
  QCOMPARE(run.parser.totalPages().size(), 64);
}

TESSIVAR_TEST_MAIN(TestResultParser)
#include "test_result_parser.moc"
