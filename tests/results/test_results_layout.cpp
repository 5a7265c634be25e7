#include "base/setting_key.h"
#include "results/results_layout.h"
#include "support/test_environment.h"

#include <QTest>

using namespace tessivar;
using namespace tessivar::results_layout;

class TestResultsLayout final : public QObject
{
  Q_OBJECT

 private slots:
  void liveWidthsShareWhatTheSpeedColumnLeaves()
  {
    // W = 9400: 8300 shared as 4980 / 1660 / 1660, then 1100; nothing for the hidden columns.
    const auto widths = columnWidths(ResultLayout::Live, 9400);
    QCOMPARE(widths[0], 4980);
    QCOMPARE(widths[1], 1660);
    QCOMPARE(widths[2], 1660);
    QCOMPARE(widths[3], 1100);
    for (int hidden = 4; hidden < columnCount; ++hidden) QCOMPARE(widths[std::size_t(hidden)], 0);
    // Rounded to the nearest twip: 0.6 × 1001 = 600.6, 0.2 × 1001 = 200.2.
    QCOMPARE(columnWidth(ResultLayout::Live, 0, 2101), 601);
    QCOMPARE(columnWidth(ResultLayout::Live, 1, 2101), 200);
  }

  void archiveTitleLeavesFiftyTwipsFree()
  {
    const auto widths = columnWidths(ResultLayout::Archive, 9400);
    QCOMPARE(widths[0], 300);
    QCOMPARE(widths[1], 650);
    QCOMPARE(widths[2], 900);
    QCOMPARE(widths[3], 7500);
    QCOMPARE(widths[0] + widths[1] + widths[2] + widths[3], 9400 - 50);
  }

  void headerSortKeys_data()
  {
    QTest::addColumn<ResultLayout>("layout");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("archive icon") << ResultLayout::Archive << 0 << 7 << true;
    QTest::newRow("archive Len") << ResultLayout::Archive << 1 << 9 << true;
    QTest::newRow("archive BPS") << ResultLayout::Archive << 2 << 8 << true;
    QTest::newRow("archive Title") << ResultLayout::Archive << 3 << 3 << false;
    QTest::newRow("live Station") << ResultLayout::Live << 0 << 0 << false;
    QTest::newRow("live Format") << ResultLayout::Live << 1 << 1 << false;
    QTest::newRow("live Location") << ResultLayout::Live << 2 << 2 << false;
    QTest::newRow("live Speed") << ResultLayout::Live << 3 << 8 << true;
  }

  void headerSortKeys()
  {
    QFETCH(ResultLayout, layout);
    QFETCH(int, clicked);
    QFETCH(int, key);
    QFETCH(bool, numeric);
    const SortKey sortKey = headerSortKey(layout, clicked);
    QCOMPARE(sortKey.column, key);
    QCOMPARE(sortKey.numeric, numeric);
  }

  void sortDirectionStartsAscendingThenAlternates()
  {
    SortDirection direction;
    QVERIFY(!direction.current().has_value());
    QCOMPARE(direction.flip(), Qt::AscendingOrder);
    QCOMPARE(direction.flip(), Qt::DescendingOrder);
    QCOMPARE(direction.flip(), Qt::AscendingOrder);
  }

  void modesAndColumnsOfEachLayout()
  {
    QCOMPARE(layoutForMode(SearchMode::Live), ResultLayout::Live);
    QCOMPARE(layoutForMode(SearchMode::Archive), ResultLayout::Archive);
    QCOMPARE(layoutForMode(SearchMode::Library), ResultLayout::Archive);
    QCOMPARE(streamUrlColumn(ResultLayout::Live), 4);
    QCOMPARE(streamUrlColumn(ResultLayout::Archive), 5);
    QCOMPARE(nameColumn(ResultLayout::Archive), 3);
    QCOMPARE(websiteColumn(ResultLayout::Live), 5);
    QCOMPARE(websiteColumn(ResultLayout::Archive), 6);
    QCOMPARE(resizeSelectionEndColumn(ResultLayout::Archive), 6);
  }

  void textsOfTheGrid()
  {
    QCOMPARE(gridToolTip(true),
             QStringLiteral("Single click to display stream website or click PLAY button to play."));
    QCOMPARE(gridToolTip(false),
             QStringLiteral("Double click item or click PLAY button on toolbar to play."));
    QCOMPARE(presetDragPayload(QStringLiteral("Jazz FM"), QStringLiteral("http://j.example/a.pls")),
             QStringLiteral("Jazz FM") + QChar(0xFF) + QStringLiteral("http://j.example/a.pls"));
    QVERIFY(!isPreviewableWebsite(QStringLiteral("Unknown")));
    QVERIFY(!isPreviewableWebsite(QString()));
    QVERIFY(isPreviewableWebsite(QStringLiteral("unknown")));
  }
};

TESSIVAR_TEST_MAIN(TestResultsLayout)
#include "test_results_layout.moc"
