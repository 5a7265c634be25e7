#include "search/browse_pages.h"
#include "support/test_environment.h"

using namespace tessivar;

class TestBrowsePages final : public QObject
{
  Q_OBJECT

 private slots:
  void goTakesOnlyPagesOfTheLetter_data()
  {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("page");  // 0: refused
    QTest::newRow("first") << u"1"_qs << 1;
    QTest::newRow("last") << u"12"_qs << 12;
    QTest::newRow("zero") << u"0"_qs << 0;
    QTest::newRow("above the count") << u"13"_qs << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("huge") << u"99999999999"_qs << 0;
  }

  void goTakesOnlyPagesOfTheLetter()
  {
    QFETCH(QString, typed);
    QFETCH(int, page);
    BrowsePages pages;
    pages.openLetter(u"A"_qs);
    pages.setTotalPages(u"12"_qs);
    const std::optional<int> asked = pages.go(typed);
    QCOMPARE(asked.value_or(0), page);
    QCOMPARE(pages.currentPage(), page == 0 ? 1 : page);
  }

  void pageButtonsFollowThePageAndItsCount()
  {
    BrowsePages pages;
    QCOMPARE(pages.openLetter(u"K"_qs), 0);
    QCOMPARE(pages.currentPage(), 1);
    // No count yet (a page without its marker): Next stays off.
    QVERIFY(!pages.previousEnabled());
    QVERIFY(!pages.nextEnabled());
    pages.setTotalPages(u"3"_qs);
    QVERIFY(pages.nextEnabled());
    QCOMPARE(pages.step(+1), 2);
    pages.finished(true);
    QVERIFY(pages.previousEnabled());

    // Page 3 fails: Next asks for it again.
    QCOMPARE(pages.step(+1), 3);
    pages.finished(false);
    QCOMPARE(pages.currentPage(), 2);
    QCOMPARE(pages.step(+1), 3);
    pages.finished(true);
    QVERIFY(!pages.nextEnabled());

    // Another letter starts without the old letter's count.
    pages.openLetter(u"Q"_qs);
    QVERIFY(!pages.nextEnabled());
    QVERIFY(!pages.go(u"2"_qs));
    // Its first page breaks off after its count: no page of K comes back, none of Q is offered.
    pages.setTotalPages(u"5"_qs);
    pages.finished(false);
    QVERIFY(!pages.previousEnabled() && !pages.nextEnabled());
    QVERIFY(!pages.go(u"1"_qs));
  }
};

TESSIVAR_TEST_MAIN(TestBrowsePages)
#include "test_browse_pages.moc"
