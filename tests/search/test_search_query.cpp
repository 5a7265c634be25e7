#include "base/connection_speed.h"
#include "base/number_value.h"
#include "search/search_history.h"
#include "search/search_query.h"
#include "support/test_environment.h"

#include <limits>

using namespace tessivar;

namespace {

FormatBoxes allBoxes(int value)
{
  FormatBoxes boxes;
  for (const FormatFlag &flag : formatFlags()) boxes.*flag.box = value;
  return boxes;
}

SearchInput keywordInput(const QString &text)
{
  SearchInput input;
  input.keywordText = text;
  input.dataServer = QStringLiteral("dir.example:8080");
  input.connectionSpeed = QStringLiteral("All Connections");
  return input;
}

QString pathOf(const SearchQuery &query)
{
  const QString prefix = QStringLiteral("http://dir.example:8080");
  return query.address.startsWith(prefix) ? query.address.mid(prefix.size()) : query.address;
}

}  // namespace

class TestSearchQuery final : public QObject
{
  Q_OBJECT

 private slots:
  void documentedAddresses()
  {
    SearchHistory history;

    SearchInput blues = keywordInput(QStringLiteral("blues rock"));
    blues.formats.chkRA = 1;
    blues.formats.chkNA = 1;
    blues.connectionSpeed = QStringLiteral("Phone Modem 56k");
    QCOMPARE(pathOf(buildSearchQuery(blues, history)),
             QStringLiteral("/tessivar37.asp?V=3.7&P=T&T1=blues+rock&F=1&RA=1&NA=1&LIVE=1&SPD=56"));

    SearchInput jazz = keywordInput(QStringLiteral("Jazz"));
    jazz.genreFormatCode = 2;
    jazz.mode = SearchMode::Archive;
    jazz.formats = allBoxes(1);
    jazz.connectionSpeed = QStringLiteral("Cable/DSL");
    jazz.minBitRate = 20;
    jazz.minLength = 3;
    QCOMPARE(pathOf(buildSearchQuery(jazz, history)),
             QStringLiteral("/tessivar37.asp?V=3.7&P=T&MBPS=20&MT=180&T1=Jazz&F=1&RA=1&MA=1&RV=1&NA=1&NV=1"
                            "&NAF=1&AV=1&MPEGF=1&WA=1&SW=1&WAVF=1&MP3F=1&MPEG=1&FMT=2&SPD=300"));

    SearchInput all = keywordInput(QStringLiteral("ALL"));
    all.kind = SearchRequestKind::ListAll;
    QCOMPARE(pathOf(buildSearchQuery(all, history)),
             QStringLiteral("/tessivar37.asp?V=3.7&P=T&T1=ALL&&F=1&LIVE=1&SPD=0"));

    SearchInput browse = keywordInput(QString());
    browse.kind = SearchRequestKind::Browse;
    browse.letter = QStringLiteral("K");
    browse.page = 3;
    browse.formats = allBoxes(1);
    browse.minBitRate = 20;
    browse.genreFormatCode = 2;
    const SearchQuery page = buildSearchQuery(browse, history);
    QCOMPARE(page.outcome, SearchOutcome::Ready);
    QCOMPARE(page.address, QStringLiteral("http://dir.example:8080/browse/ra_K_3.asp"));
    browse.letter = QStringLiteral("A");
    browse.page = 0;
    QCOMPARE(pathOf(buildSearchQuery(browse, history)), QStringLiteral("/browse/ra_A_0.asp"));
  }

  void emptyBoxIsRefusedExceptForBrowse()
  {
    const SearchHistory history;
    for (SearchRequestKind kind : {SearchRequestKind::Keyword, SearchRequestKind::ListAll}) {
      SearchInput input = keywordInput(QString());
      input.kind = kind;
      const SearchQuery query = buildSearchQuery(input, history);
      QCOMPARE(query.outcome, SearchOutcome::EmptyKeywords);
      QVERIFY(query.address.isEmpty());
      QVERIFY(!query.historyEntry.has_value());
    }
    QCOMPARE(emptyKeywordsMessage(), QStringLiteral("Please enter keyword(s) for search."));
  }

  void keywordPreparation()
  {
    const SearchHistory history;
    const SearchQuery twoBlanks = buildSearchQuery(keywordInput(QStringLiteral("big  band")), history);
    QCOMPARE(twoBlanks.preparedKeywordText, QStringLiteral("big++band"));
    QVERIFY(twoBlanks.address.contains(QStringLiteral("&T1=big++band&F=1")));

    // Blanks become "+"; the server's syntax goes out as typed, but for "#" (it would cut the
    // address short), "^" and "`" (not allowed in an address), which go out percent-encoded.
    const QString ska = QStringLiteral("^ska^,^ska$,ska-,ska/,skamusic,`ska");
    QVERIFY(buildSearchQuery(keywordInput(ska), history)
                .address.contains(QStringLiteral("&T1=%5Eska%5E,%5Eska$,ska-,ska/,skamusic,%60ska&F=1")));
    const SearchQuery raw = buildSearchQuery(keywordInput(QStringLiteral("R&B #1 it's")), history);
    QVERIFY(raw.address.contains(QStringLiteral("&T1=R&B+%231+it's&F=1")));
    QCOMPARE(prepareKeywordText(QStringLiteral("a\tb")), QStringLiteral("a\tb"));
  }

  void formatGroupFlagsAndModes()
  {
    QCOMPARE(formatGroup(FormatBoxes{}, SearchMode::Live, -1, u""), QStringLiteral("&F=1&LIVE=1&SPD=0"));
    QCOMPARE(formatGroup(FormatBoxes{}, SearchMode::Archive, -1, u""), QStringLiteral("&F=1&SPD=0"));
    // The browse option is not the archive option: LIVE=1 goes out.
    QCOMPARE(formatGroup(FormatBoxes{}, SearchMode::Library, 1, u"ISDN 64k"),
             QStringLiteral("&F=1&LIVE=1&FMT=1&SPD=64"));
    QCOMPARE(formatGroup(FormatBoxes{}, SearchMode::Archive, 2, u""), QStringLiteral("&F=1&FMT=2&SPD=0"));

    // Only exactly 1 ticks a box; the parameter names do not follow the key names.
    FormatBoxes boxes = allBoxes(2);
    boxes.chkXDM = 1;
    boxes.chkAVF = 1;
    boxes.chkNF = -1;
    QCOMPARE(formatGroup(boxes, SearchMode::Archive, -1, u""), QStringLiteral("&F=1&MPEGF=1&SW=1&SPD=0"));

    QStringList keys;
    for (const FormatFlag &flag : formatFlags()) keys << QLatin1StringView(flag.key);
    QCOMPARE(keys.join(u' '), QStringLiteral("chkRA chkMA chkRV chkNA chkNV chkNF chkAV chkAVF chkWA chkXDM "
                                             "chkWAVF chkMAF chkMPEG"));
  }

  void limitsGroup_data()
  {
    QTest::addColumn<int>("bitRate");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("group");
    QTest::newRow("none") << 0 << 0 << QString();
    QTest::newRow("length only") << 0 << 2 << QStringLiteral("&MT=120");
    QTest::newRow("bit rate only") << 32 << 0 << QStringLiteral("&MBPS=32");
    QTest::newRow("both") << 20 << 3 << QStringLiteral("&MBPS=20&MT=180");
    QTest::newRow("minutes beyond 32-bit seconds")
        << 0 << std::numeric_limits<int>::max() << QStringLiteral("&MT=128849018820");
  }

  void limitsGroup()
  {
    QFETCH(int, bitRate);
    QFETCH(int, minutes);
    QFETCH(QString, group);
    QCOMPARE(tessivar::limitsGroup(bitRate, minutes), group);
  }

  void speedTable()
  {
    const QList<std::pair<QString, int>> known{
        {QStringLiteral("Phone Modem 28.8"), 28}, {QStringLiteral("Phone Modem 33.6"), 33},
        {QStringLiteral("Phone Modem 56k"), 56},  {QStringLiteral("ISDN 64k"), 64},
        {QStringLiteral("ISDN 128k"), 128},       {QStringLiteral("Cable/DSL"), 300}};
    for (const auto &[name, limit] : known) {
      QCOMPARE(speedLimit(name), std::optional<int>(limit));
      QCOMPARE(speedParameter(name), QStringLiteral("&SPD=") + QString::number(limit));
    }
    for (const QString &other : {QStringLiteral("All Connections"), QString(), QStringLiteral("cable/dsl"),
                                 QStringLiteral("ISDN 64k ")}) {
      QCOMPARE(speedLimit(other), std::nullopt);
      QCOMPARE(speedParameter(other), QStringLiteral("&SPD=0"));
    }
  }

  void historyRules()
  {
    SearchHistory history;
    const auto search = [&history](const QString &text, int genre = -1,
                                   SearchRequestKind kind = SearchRequestKind::Keyword) {
      SearchInput input = keywordInput(text);
      input.genreFormatCode = genre;
      input.kind = kind;
      const SearchQuery query = buildSearchQuery(input, history);
      if (query.historyEntry) history.record(*query.historyEntry, genre);
      return query.historyEntry;
    };

    QCOMPARE(search(QStringLiteral("Jazz")), std::optional<QString>(QStringLiteral("Jazz")));
    QCOMPARE(search(QStringLiteral("Jazz")), std::nullopt);
    QCOMPARE(search(QStringLiteral("jazz ")), std::nullopt);
    QCOMPARE(search(QStringLiteral(" Rock\t")), std::optional<QString>(QStringLiteral("Rock")));
    QCOMPARE(search(QStringLiteral("rock")), std::nullopt);
    // "c++" is not "c": only blanks at the ends are ignored.
    QCOMPARE(search(QStringLiteral("c")), std::optional<QString>(QStringLiteral("c")));
    QCOMPARE(search(QStringLiteral("c++")), std::optional<QString>(QStringLiteral("c++")));
    // The comparison is made on the "+"-joined text.
    QCOMPARE(search(QStringLiteral("big band")), std::optional<QString>(QStringLiteral("big+band")));
    QCOMPARE(search(QStringLiteral(" BIG+BAND")), std::nullopt);
    // Genre searches never enter, even when new.
    QCOMPARE(search(QStringLiteral("Big Band"), 2), std::nullopt);
    QCOMPARE(search(QStringLiteral("Celtic"), 2), std::nullopt);
    // List all twice: one "ALL".
    QCOMPARE(search(QStringLiteral("ALL"), -1, SearchRequestKind::ListAll),
             std::optional<QString>(QStringLiteral("ALL")));
    QCOMPARE(search(QStringLiteral("ALL"), -1, SearchRequestKind::ListAll), std::nullopt);
    // Browsing with an empty box adds one empty entry, once.
    QCOMPARE(search(QString(), -1, SearchRequestKind::Browse), std::optional<QString>(QString()));
    QCOMPARE(search(QString(), -1, SearchRequestKind::Browse), std::nullopt);
    QCOMPARE(history.entries(), (QStringList{QStringLiteral("Jazz"), QStringLiteral("Rock"),
                                             QStringLiteral("c"), QStringLiteral("c++"),
                                             QStringLiteral("big+band"), QStringLiteral("ALL"), QString()}));

    QVERIFY(!history.record(QStringLiteral("Blues"), 2));
    QVERIFY(history.record(QStringLiteral("Blues"), -1));
    QVERIFY(history.contains(u"  blues\t"));
  }

  void numberValue_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("word") << QStringLiteral("Unknown") << 0.0;
    QTest::newRow("unit") << QStringLiteral("56k") << 56.0;
    QTest::newRow("fraction") << QStringLiteral("28.8 kbps") << 28.8;
    QTest::newRow("leading blanks") << QStringLiteral(" \t 12") << 12.0;
    QTest::newRow("sign") << QStringLiteral("-3.5x") << -3.5;
    QTest::newRow("plus") << QStringLiteral("+7") << 7.0;
    QTest::newRow("bare point") << QStringLiteral(".5") << 0.5;
    QTest::newRow("point alone") << QStringLiteral(".") << 0.0;
    QTest::newRow("sign alone") << QStringLiteral("-") << 0.0;
    QTest::newRow("stops at blank") << QStringLiteral("1 2") << 1.0;
    QTest::newRow("second point") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("no exponent") << QStringLiteral("3e2") << 3.0;
    QTest::newRow("other digits") << QStringLiteral("\u0661\u0662") << 0.0;
    QTest::newRow("huge") << QString(400, u'9') << std::numeric_limits<double>::max();
    QTest::newRow("tiny") << (QStringLiteral("0.") + QString(400, u'0') + u'1') << 0.0;
  }

  void numberValue()
  {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(tessivar::numberValue(text), value);
  }

  void wholeNumberValue()
  {
    QCOMPARE(tessivar::wholeNumberValue(u"20 kbps"), 20);
    QCOMPARE(tessivar::wholeNumberValue(u"2.5"), 2);
    QCOMPARE(tessivar::wholeNumberValue(u"3.5"), 4);
    QCOMPARE(tessivar::wholeNumberValue(u"-1"), -1);
    QCOMPARE(tessivar::wholeNumberValue(u"99999999999"), std::numeric_limits<int>::max());
    QCOMPARE(tessivar::wholeNumberValue(u"-99999999999"), std::numeric_limits<int>::min());
    QCOMPARE(tessivar::wholeNumberValue(u"abc"), 0);
  }
};

TESSIVAR_TEST_MAIN(TestSearchQuery)
#include "test_search_query.moc"
