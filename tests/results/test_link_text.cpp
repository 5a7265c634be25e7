#include "results/link_text.h"
#include "results/result_table_model.h"
#include "support/test_environment.h"

using namespace tessivar;

namespace {

const QString footer = u"\r\n-\r\nThis link courtesy Tessivar! Broadcast - http://maker.example/\r\n"_qs;
const QString copyNotice =
    u"Tessivar! Broadcast is a product of Halvorne. Copyright (C) 1999-2003 Halvorne. All rights reserved."_qs;
const QString emailNotice = u"(C) 1999-2003 Halvorne."_qs;

}  // namespace

class TestLinkText final : public QObject
{
  Q_OBJECT

 private:
  ResultTableModel model;

  // The cells of one row, column 0 first, separated by "|".
  void setRow(const QString &cells)
  {
    model.clear();
    model.setRowCount(1);
    const QStringList texts = cells.split(u'|');
    for (int column = 0; column < texts.size(); ++column) model.setText(0, column, texts.at(column));
  }

 private slots:
  void bothLayoutsGiveTheirLinesAndFooter_data()
  {
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    const QString archive =
        u"Name : Clip\r\nInfo : 42\r\n%1 : http://c.example/c.rm\r\nFound on : http://c.example/\r\n"_qs;
    const QString live =
        u"Name : Radio\r\n%1 : http://r.example/r.pls\r\nFound on : http://r.example/\r\n"_qs;
    const int archiveLayout = int(ResultLayout::Archive);
    const int liveLayout = int(ResultLayout::Live);
    const int copy = int(LinkTextKind::Copy);
    const int email = int(LinkTextKind::Email);
    QTest::newRow("archive copy") << archiveLayout << copy << archive.arg(u"URL"_qs) + footer + copyNotice;
    QTest::newRow("archive e-mail") << archiveLayout << email
                                    << archive.arg(u"Link"_qs) + footer + emailNotice;
    QTest::newRow("live copy") << liveLayout << copy << live.arg(u"URL"_qs) + footer + copyNotice;
    QTest::newRow("live e-mail") << liveLayout << email << live.arg(u"Link"_qs) + footer + emailNotice;
  }
  void bothLayoutsGiveTheirLinesAndFooter()
  {
    QFETCH(int, layout);
    QFETCH(int, kind);
    QFETCH(QString, text);
    setRow(ResultLayout(layout) == ResultLayout::Archive
               ? u"|[1:0]|56k|Clip|42|http://c.example/c.rm|http://c.example/"_qs
               : u"Radio|MP3|Oslo|56k|http://r.example/r.pls|http://r.example/"_qs);
    QVERIFY(isLinkRow(model, 1));
    QCOMPARE(linkText(LinkTextKind(kind), ResultLayout(layout), model, 1, u"http://maker.example/"_qs), text);
  }

  void rowsWithoutLinkOrWebsite()
  {
    // Live: column 5 is the website; without one the row cannot be copied or visited.
    setRow(u"Radio|MP3|Oslo|56k|http://r.example/r.pls"_qs);
    QVERIFY(!isLinkRow(model, 1));
    QVERIFY(!rowWebsiteAddress(model, ResultLayout::Live, 1));
    QVERIFY(!isLinkRow(model, 2));
    setRow(u"|||Clip|42|http://c.example/c.rm|Unknown"_qs);
    QVERIFY(isLinkRow(model, 1));
    QVERIFY(!rowWebsiteAddress(model, ResultLayout::Archive, 1));
  }
};

TESSIVAR_TEST_MAIN(TestLinkText)
#include "test_link_text.moc"
