#include "base/settings_store.h"
#include "results/find_in_results.h"
#include "results/result_table_model.h"
#include "results/ui/find_dialog.h"
#include "results/ui/find_in_grid.h"
#include "results/ui/results_grid.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using namespace tessivar;

class TestFind final : public QObject
{
  Q_OBJECT

 private:
  results_layout::SortDirection direction;
  ResultTableModel model;
  ResultsGrid grid{ResultsGrid::Kind::Results, direction};
  test::FakePrompter prompter;
  std::unique_ptr<ResultsFinder> finder;  // made once the grid shows the model

  // Archive rows: title (column 3) and, in the hidden columns, item number, address and website.
  void fill(const QList<QStringList> &rows)
  {
    prompter.prompts.clear();
    model.clear();
    model.setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
      for (int column = 0; column < rows.at(row).size(); ++column)
        model.setText(row, 3 + column, rows.at(row).at(column));
    }
  }

 private slots:
  void initTestCase()
  {
    grid.setResultModel(&model);
    grid.show();
    finder = std::make_unique<ResultsFinder>(grid, prompter);
  }

  void casePunctuationAndHiddenColumns_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("found");  // 0: nowhere
    QTest::newRow("letters only") << u"acdc"_qs << 1 << 1;
    QTest::newRow("the mark goes, the blanks stay") << u"Rock & Roll"_qs << 1 << 2;
    QTest::newRow("one blank") << u"rock roll"_qs << 1 << 3;
    QTest::newRow("hidden address") << u"HOST.example"_qs << 1 << 4;
    QTest::newRow("other letters upper-cased") << u"ÉTÉ"_qs << 1 << 5;
    QTest::newRow("punctuation alone") << u"&&"_qs << 3 << 3;
    QTest::newRow("before the start row") << u"acdc"_qs << 2 << 0;
    QTest::newRow("empty") << QString() << 1 << 0;
    QTest::newRow("nowhere") << u"polka"_qs << 1 << 0;
  }
  void casePunctuationAndHiddenColumns()
  {
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, found);
    fill({{u"AC/DC Live"_qs},
          {u"Rock  Roll"_qs},
          {u"Rock Roll"_qs},
          {u"Quiet"_qs, u"4711"_qs, u"http://host.example/q.mp3"_qs},
          {u"Chanson d'été"_qs}});
    QCOMPARE(findResultRow(model, text, start).value_or(0), found);
  }

  void findNextWalksEveryMatchThenStartsOver()
  {
    fill({{u"Jazz One"_qs},
          {u"Blues"_qs},
          {u"Blues"_qs, u"7"_qs, u"http://x/b.mp3"_qs, u"http://jazz.example/"_qs},
          {u"Rock"_qs},
          {u"JAZZ five"_qs}});
    grid.selectRows(1, 1);
    finder->setLastFindText(u"jazz"_qs);
    QList<int> rows;
    for (int step = 0; step < 5; ++step) rows << (finder->findNext() ? grid.currentRow() : 0);
    QCOMPARE(rows, (QList<int>{1, 3, 5, 0, 1}));
    QCOMPARE(prompter.texts(), QStringList{u"JAZZ:  Not Found"_qs});
    QCOMPARE(prompter.prompts.constFirst().icon, PromptIcon::Exclamation);
    QCOMPARE(prompter.prompts.constFirst().title, u"Tessivar! Broadcast"_qs);

    // From a row the user chose, the search goes on below it.
    grid.selectRows(4, 4);
    QVERIFY(finder->findNext());
    QCOMPARE(grid.currentRow(), 5);
    QCOMPARE(grid.selectionEndRow(), 5);
  }

  void theDialogFindsUntilNothingIsLeftAndStoresTheText()
  {
    QTemporaryDir folder;
    SettingsStore settings(folder.filePath(u"settings.ini"_qs));
    fill({{u"Jazz One"_qs}, {u"Jazz Two"_qs}});
    grid.selectRows(1, 1);
    finder->setLastFindText(u"jazz"_qs);

    QPointer<FindDialog> dialog = new FindDialog(*finder, settings, &grid);
    dialog->show();
    auto *box = dialog->findChild<QLineEdit *>(u"txtSearch"_qs);
    auto *ok = dialog->findChild<QPushButton *>(u"cmdOK"_qs);
    QCOMPARE(dialog->windowTitle(), u"Find"_qs);
    QCOMPARE(box->selectedText(), u"jazz"_qs);

    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, u" two"_qs);
    QCOMPARE(finder->lastFindText(), u"jazz two"_qs);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(grid.currentRow(), 2);
    QCOMPARE(ok->text(), u"Next"_qs);
    QVERIFY(dialog->isVisible());

    ok->click();
    QCOMPARE(prompter.texts(), QStringList{u"JAZZ TWO:  Not Found"_qs});
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(settings.text(SettingKey::LastFind), u"jazz two"_qs);
    QCOMPARE(grid.currentRow(), 1);
  }
};

TESSIVAR_TEST_MAIN(TestFind)
#include "test_find.moc"
