#include "results/result_table_model.h"
#include "support/test_environment.h"

#include <QBrush>
#include <QPersistentModelIndex>
#include <QSignalSpy>

using namespace tessivar;

namespace {

ResultTableModel::Row row(std::initializer_list<const char16_t *> texts)
{
  std::array<QStringView, ResultTableModel::ColumnCount> cells{};
  std::size_t i = 0;
  for (const char16_t *text : texts)
    cells[i++] = QStringView(text);
  return ResultTableModel::Row::fromCells(cells);
}

QStringList column(const ResultTableModel &model, int c)
{
  QStringList texts;
  for (int r = 0; r < model.rowCount(); ++r)
    texts << model.text(r, c);
  return texts;
}

}  // namespace

class TestResultTableModel final : public QObject
{
  Q_OBJECT

private slots:
  void cellsAndRoles();
  void headersFollowLayout();
  void rowsGrowShrinkAndClear();
  void textSortIsCaseSensitiveAndStable();
  void numericSort();
  void sortMovesPersistentIndexes();
};

void TestResultTableModel::cellsAndRoles()
{
  ResultTableModel model;
  std::vector<ResultTableModel::Row> rows;
  rows.push_back(row({u"", u"[1:5]", u"56k", u"Title", u"", u"http://a"}));
  model.appendRows(std::move(rows));
  QCOMPARE(model.rowCount(), 1);
  QCOMPARE(model.columnCount(), 10);
  QCOMPARE(model.text(0, 3), u"Title"_qs);
  QCOMPARE(model.text(0, 9), QString());
  QCOMPARE(model.text(5, 0), QString());  // outside the rows: empty, no crash

  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  model.setText(0, 8, u"3"_qs);
  QCOMPARE(model.text(0, 8), u"3"_qs);
  QCOMPARE(model.text(0, 5), u"http://a"_qs);  // neighbours untouched
  QCOMPARE(changed.size(), 1);
  model.setText(0, 8, u"3"_qs);
  QCOMPARE(changed.size(), 1);

  QVERIFY(!model.data(model.index(0, 3), Qt::ForegroundRole).isValid());
  QVERIFY(model.setData(model.index(0, 3), QColor(Qt::red), Qt::ForegroundRole));
  QCOMPARE(model.data(model.index(0, 3), Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
  QCOMPARE(model.textColor(0, 3), QColor(Qt::red));
  QVERIFY(!model.textColor(0, 2).isValid());

  QVERIFY(model.setData(model.index(0, 0), 2, ResultTableModel::StatusPictureRole));
  QCOMPARE(model.statusPicture(0), 2);
  QVERIFY(!model.setData(model.index(0, 1), 2, ResultTableModel::StatusPictureRole));
  QVERIFY(model.setData(model.index(0, 1), u"[2:0]"_qs));
  QCOMPARE(model.data(model.index(0, 1)).toString(), u"[2:0]"_qs);
}

void TestResultTableModel::headersFollowLayout()
{
  ResultTableModel model;
  QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), u"Speed Kb/s"_qs);
  QSignalSpy spy(&model, &QAbstractItemModel::headerDataChanged);
  model.setColumnLayout(ResultLayout::Archive);
  QCOMPARE(spy.size(), 1);
  QStringList headers;
  for (int c = 0; c < 10; ++c)
    headers << model.headerData(c, Qt::Horizontal).toString();
  QCOMPARE(headers, (QStringList{{}, u"Len"_qs, u"BPS"_qs, u"Title"_qs, {}, {}, {}, {}, {}, {}}));
  QCOMPARE(ResultTableModel::headerText(ResultLayout::Live, 0), u"Station"_qs);
}

void TestResultTableModel::rowsGrowShrinkAndClear()
{
  ResultTableModel model;
  model.setRowCount(3);
  model.setText(2, 0, u"last"_qs);
  QVERIFY(model.removeRow(0));
  QCOMPARE(model.rowCount(), 2);
  QCOMPARE(model.text(1, 0), u"last"_qs);
  QVERIFY(!model.removeRows(1, 5));
  QVERIFY(!model.removeRows(-1, 1));
  model.setRow(0, row({u"x"}));
  QCOMPARE(model.text(0, 0), u"x"_qs);
  model.clear();
  QCOMPARE(model.rowCount(), 0);
}

void TestResultTableModel::textSortIsCaseSensitiveAndStable()
{
  ResultTableModel model;
  std::vector<ResultTableModel::Row> rows;
  rows.push_back(row({u"beta", u"1"}));
  rows.push_back(row({u"Alpha", u"2"}));
  rows.push_back(row({u"alpha", u"3"}));
  rows.push_back(row({u"Alpha", u"4"}));
  model.appendRows(std::move(rows));
  model.sortRows(0, Qt::AscendingOrder, ResultTableModel::SortKind::Text);
  QCOMPARE(column(model, 1), (QStringList{u"2"_qs, u"4"_qs, u"3"_qs, u"1"_qs}));
  model.sort(0, Qt::DescendingOrder);
  QCOMPARE(column(model, 1), (QStringList{u"1"_qs, u"3"_qs, u"2"_qs, u"4"_qs}));
}

void TestResultTableModel::numericSort()
{
  ResultTableModel model;
  std::vector<ResultTableModel::Row> rows;
  for (const char16_t *value : {u"128", u"56", u"5000", u"", u"28.8", u"9"})
    rows.push_back(row({value}));
  model.appendRows(std::move(rows));
  model.sortRows(0, Qt::AscendingOrder, ResultTableModel::SortKind::Numeric);
  QCOMPARE(column(model, 0), (QStringList{{}, u"9"_qs, u"28.8"_qs, u"56"_qs, u"128"_qs, u"5000"_qs}));
  model.sortRows(0, Qt::DescendingOrder, ResultTableModel::SortKind::Numeric);
  QCOMPARE(column(model, 0), (QStringList{u"5000"_qs, u"128"_qs, u"56"_qs, u"28.8"_qs, u"9"_qs, {}}));
  model.sortRows(0, Qt::AscendingOrder, ResultTableModel::SortKind::Text);
  QCOMPARE(column(model, 0), (QStringList{{}, u"128"_qs, u"28.8"_qs, u"5000"_qs, u"56"_qs, u"9"_qs}));
}

void TestResultTableModel::sortMovesPersistentIndexes()
{
  ResultTableModel model;
  std::vector<ResultTableModel::Row> rows;
  rows.push_back(row({u"b"}));
  rows.push_back(row({u"a"}));
  model.appendRows(std::move(rows));
  model.setTextColor(0, 0, Qt::green);
  const QPersistentModelIndex b = model.index(0, 0);
  model.sortRows(0, Qt::AscendingOrder, ResultTableModel::SortKind::Text);
  QCOMPARE(b.row(), 1);
  QCOMPARE(b.data().toString(), u"b"_qs);
  QCOMPARE(model.textColor(1, 0), QColor(Qt::green));  // colours travel with their row
}

TESSIVAR_TEST_MAIN(TestResultTableModel)
#include "test_result_table_model.moc"
