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

  void setRow(const QStringList &cells)
  {
    model.clear();
    model.setRowCount(1);
    for (int column = 0; column < cells.size(); ++column) model.setText(0, column, cells.at(column));
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
    QTest::newRow("archive copy") << int(ResultLayout::Archive) << int(LinkTextKind::Copy)
                                  << archive.arg(u"URL"_qs) + footer + copyNotice;
    QTest::newRow("archive e-mail") << int(ResultLayout::Archive) << int(LinkTextKind::Email)
                                    << archive.arg(u"Link"_qs) + footer + emailNotice;
    QTest::newRow("live copy") << int(ResultLayout::Live) << int(LinkTextKind::Copy)
                               << live.arg(u"URL"_qs) + footer + copyNotice;
    QTest::newRow("live e-mail") << int(ResultLayout::Live) << int(LinkTextKind::Email)
                                 << live.arg(u"Link"_qs) + footer + emailNotice;
  }
  void bothLayoutsGiveTheirLinesAndFooter()
  {
    QFETCH(int, layout);
    QFETCH(int, kind);
    QFETCH(QString, text);
    if (ResultLayout(layout) == ResultLayout::Archive) {
      setRow({{},
              u"[1:0]"_qs,
              u"56k"_qs,
              u"Clip"_qs,
              u"42"_qs,
              u"http://c.example/c.rm"_qs,
              u"http://c.example/"_qs});
    } else {
      setRow({u"Radio"_qs, u"MP3"_qs, u"Oslo"_qs, u"56k"_qs, u"http://r.example/r.pls"_qs,
              u"http://r.example/"_qs});
    }
    QVERIFY(isLinkRow(model, 1));
    QCOMPARE(linkText(LinkTextKind(kind), ResultLayout(layout), model, 1, u"http://maker.example/"_qs), text);
  }

  void rowsWithoutLinkOrWebsite()
  {
    // Live: column 5 is the website; without one the row cannot be copied or visited.
    setRow({u"Radio"_qs, u"MP3"_qs, u"Oslo"_qs, u"56k"_qs, u"http://r.example/r.pls"_qs});
    QVERIFY(!isLinkRow(model, 1));
    QVERIFY(!rowWebsiteAddress(model, ResultLayout::Live, 1));
    QVERIFY(!isLinkRow(model, 2));

    setRow({{}, {}, {}, u"Clip"_qs, u"42"_qs, u"http://c.example/c.rm"_qs, u"Unknown"_qs});
    QVERIFY(isLinkRow(model, 1));
    QVERIFY(!rowWebsiteAddress(model, ResultLayout::Archive, 1));
    model.setText(0, 6, u"javascript:alert(1)"_qs);
    QVERIFY(!rowWebsiteAddress(model, ResultLayout::Archive, 1));
    model.setText(0, 6, u"www.c.example"_qs);
    QCOMPARE(rowWebsiteAddress(model, ResultLayout::Archive, 1).value_or(QString()),
             u"http://www.c.example"_qs);
  }
};

TESSIVAR_TEST_MAIN(TestLinkText)
#include "test_link_text.moc"
