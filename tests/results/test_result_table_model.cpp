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
  for (const char16_t *text : texts) cells[i++] = QStringView(text);
  return ResultTableModel::Row::fromCells(cells);
}

QStringList column(const ResultTableModel &model, int c)
{
  QStringList texts;
  for (int r = 0; r < model.rowCount(); ++r) texts << model.text(r, c);
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
  void stagedRowsArriveTogether();
  void textBeyondAscii();
  void typedRowsReadTheLayoutsColumns();
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
  for (int c = 0; c < 10; ++c) headers << model.headerData(c, Qt::Horizontal).toString();
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
  for (const char16_t *value : {u"128", u"56", u"5000", u"", u"28.8", u"9"}) rows.push_back(row({value}));
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

void TestResultTableModel::stagedRowsArriveTogether()
{
  ResultTableModel model;
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  ResultTableModel::Utf8Cells cells{};
  cells[0] = "first";
  model.writeRow(0, cells, ResultTableModel::Picture2);
  cells[0] = "third";
  model.writeRow(2, cells, ResultTableModel::NoPicture);  // row 1 is staged empty
  QCOMPARE(model.rowCount(), 0);
  QCOMPARE(model.stagedRowCount(), 3);
  QCOMPARE(model.text(0, 0), QString());
  model.commitRows();
  QCOMPARE(inserted.size(), 1);
  QCOMPARE(inserted.at(0).at(1).toInt(), 0);
  QCOMPARE(inserted.at(0).at(2).toInt(), 2);
  QCOMPARE(column(model, 0), (QStringList{u"first"_qs, {}, u"third"_qs}));
  QCOMPARE(model.statusPicture(0), 2);

  // A row below the count is replaced at once, colours and all.
  model.setTextColor(1, 0, Qt::red);
  cells[0] = "second";
  model.writeRow(1, cells, ResultTableModel::Picture1);
  QCOMPARE(model.text(1, 0), u"second"_qs);
  QVERIFY(!model.textColor(1, 0).isValid());
  QCOMPARE(changed.size(), 2);

  cells[0] = "dropped";
  model.writeRow(3, cells, ResultTableModel::NoPicture);
  model.clear();
  model.commitRows();
  QCOMPARE(model.rowCount(), 0);
  QCOMPARE(inserted.size(), 1);
}

void TestResultTableModel::textBeyondAscii()
{
  ResultTableModel model;
  const QByteArray zurich = "Z\xc3\xbcrich";
  const QByteArray marked = "\xef\xbb\xbfmarked";
  const QByteArray tilde = "\xef\xbd\x9e";     // U+FF5E
  const QByteArray note = "\xf0\x9f\x8e\xb5";  // U+1F3B5, a surrogate pair in UTF-16
  for (const QByteArray &text : {zurich, marked, tilde, note}) {
    ResultTableModel::Utf8Cells cells{};
    cells[0] = text;
    cells[1] = "x";
    model.writeRow(model.rowCount() + model.stagedRowCount(), cells, ResultTableModel::NoPicture);
  }
  model.commitRows();
  QCOMPARE(model.text(0, 0), u"Zürich"_qs);
  QCOMPARE(model.data(model.index(1, 0)).toString(), u"\uFEFFmarked"_qs);  // the mark is text here
  model.setText(0, 1, u"changed \U0001F3B5"_qs);
  // Text order is that of QString: a surrogate pair comes before U+FF5E.
  model.sortRows(0, Qt::AscendingOrder, ResultTableModel::SortKind::Text);
  QCOMPARE(column(model, 0), (QStringList{u"Zürich"_qs, u"\U0001F3B5"_qs, u"\uFEFFmarked"_qs, u"\uFF5E"_qs}));
  QCOMPARE(model.text(0, 1), u"changed \U0001F3B5"_qs);
}

// A station and a clip read from the documented columns; grid row 1 is the first data row.
void TestResultTableModel::typedRowsReadTheLayoutsColumns()
{
  ResultTableModel model;
  std::vector<ResultTableModel::Row> rows;
  rows.push_back(row({u"Kettle FM", u"Jazz", u"Oslo", u"128k", u"http://live", u"http://site"}));
  rows.push_back(row({u"", u"[1:5]", u"56k", u"Title", u"42", u"http://clip", u"http://page", u"0"}));
  model.appendRows(std::move(rows));

  const ResultRow station = model.resultAt(1, ResultLayout::Live);
  QCOMPARE(station.kind, ResultRow::Kind::Station);
  QCOMPARE(QStringList({station.name, station.format, station.location, station.speed, station.streamUrl,
                        station.website}),
           QStringList(
               {u"Kettle FM"_qs, u"Jazz"_qs, u"Oslo"_qs, u"128k"_qs, u"http://live"_qs, u"http://site"_qs}));

  const ResultRow clip = model.resultAt(2, ResultLayout::Archive);
  QCOMPARE(clip.kind, ResultRow::Kind::Clip);
  QCOMPARE(
      QStringList({clip.length, clip.speed, clip.name, clip.itemId, clip.streamUrl, clip.website}),
      QStringList({u"[1:5]"_qs, u"56k"_qs, u"Title"_qs, u"42"_qs, u"http://clip"_qs, u"http://page"_qs}));
  QVERIFY(clip.format.isEmpty());

  QCOMPARE(model.resultAt(0, ResultLayout::Live).name, QString());  // the header row
  QCOMPARE(model.resultAt(3, ResultLayout::Live).name, QString());  // past the rows
}

TESSIVAR_TEST_MAIN(TestResultTableModel)
#include "test_result_table_model.moc"
