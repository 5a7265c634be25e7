#include "platform/station_list.h"
#include "platform/station_list_selection.h"
#include "support/test_environment.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace tessivar;

namespace {

QByteArray readAll(const QString &path)
{
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(bytes), bytes.size());
}

QList<ListEntry> awkwardEntries()
{
  return {
      {QStringLiteral("Jazz [live] & more"), QStringLiteral("http://a.example/x?y=1&z=2"), 7},
      {QStringLiteral("  leading and trailing blanks  "), QStringLiteral(" "), -3},
      {QString(), QString(), 0},
      {QStringLiteral("tab\there, line\nbreak, return\rand back\\slash \\t"), QStringLiteral("\\n\\u0041"),
       2147483647},
      {QStringLiteral("Name") + QChar(0xFF) + QStringLiteral("http://preset"), QStringLiteral("ÿ"), 1},
      {QStringLiteral("Радио Москва 北京音乐台 🎵 مرحبا"), QStringLiteral("end\tlike\tcolumns"),
       -2147483647 - 1},
      {QString(QChar(0)) + QChar(0x1F) + QChar(0x7F) + QChar(0xFEFF),
       QString(QChar(0xD800)) + QStringLiteral("x"), 5},
      {QStringLiteral("end\t0"), QStringLiteral("Tessivar list 1"), 0},
  };
}

void fill(StationList &list, const QList<ListEntry> &entries)
{
  for (const ListEntry &entry : entries) list.insert(-1, entry.text, entry.secondText, entry.number);
}

}  // namespace

class TestStationList final : public QObject
{
  Q_OBJECT

 private slots:
  void insertRemoveAndPositions();
  void selectionAndCurrentIndex();
  void findMatchesExactly();
  void actsAsListModel();
  void followsViewSelection();
  void saveAndLoadRoundTripEveryText();
  void damagedFilesLeaveListAlone_data();
  void damagedFilesLeaveListAlone();
  void savingOverUnreadableFileKeepsIt();
  void saveFailureIsReported();
};

void TestStationList::insertRemoveAndPositions()
{
  StationList list;
  QCOMPARE(list.insert(-1, QStringLiteral("first"), QStringLiteral("1")), 0);
  QCOMPARE(list.insert(-1, QStringLiteral("second"), QStringLiteral("2"), 20), 1);
  QCOMPARE(list.insert(0, QStringLiteral("front"), QStringLiteral("0"), 10), 0);
  QCOMPARE(list.insert(3, QStringLiteral("end"), QStringLiteral("3")), 3);
  QCOMPARE(list.insert(1, QStringLiteral("first"), QStringLiteral("dup")), 1);  // duplicates allowed
  QCOMPARE(list.count(), 5);
  QCOMPARE(list.text(0), QStringLiteral("front"));
  QCOMPARE(list.secondText(1), QStringLiteral("dup"));
  QCOMPARE(list.text(2), QStringLiteral("first"));
  QCOMPARE(list.number(3), 20);
  QCOMPARE(list.text(4), QStringLiteral("end"));

  // Out of range: nothing happens, a clear answer comes back.
  QCOMPARE(list.insert(6, QStringLiteral("x"), {}), -1);
  QCOMPARE(list.insert(-2, QStringLiteral("x"), {}), -1);
  QVERIFY(!list.remove(5));
  QVERIFY(!list.remove(-1));
  QCOMPARE(list.text(5), QString());
  QCOMPARE(list.number(-1), 0);
  QCOMPARE(list.count(), 5);

  QVERIFY(list.remove(1));
  QCOMPARE(list.text(1), QStringLiteral("first"));
  QCOMPARE(list.count(), 4);
  list.clear();
  QCOMPARE(list.count(), 0);
}

void TestStationList::selectionAndCurrentIndex()
{
  StationList list;
  QCOMPARE(list.currentIndex(), -1);
  for (int i = 0; i < 4; ++i) list.insert(-1, QString::number(i), {}, i);
  QSignalSpy selection(&list, &StationList::selectionChanged);

  list.setSelected(1, true);
  list.setSelected(3, true);
  QCOMPARE(list.selectedCount(), 2);
  QVERIFY(list.isSelected(1) && !list.isSelected(2));
  QVERIFY(!list.isSelected(9));
  list.selectAll();
  QCOMPARE(list.selectedCount(), 4);
  list.clearSelection();
  QCOMPARE(list.selectedCount(), 0);
  QCOMPARE(selection.size(), 4);

  // The current entry follows its entry when others come and go.
  list.setCurrentIndex(2);
  list.insert(0, QStringLiteral("new"), {});
  QCOMPARE(list.currentIndex(), 3);
  list.remove(0);
  QCOMPARE(list.currentIndex(), 2);
  list.remove(2);
  QCOMPARE(list.currentIndex(), -1);
  list.setCurrentIndex(17);
  QCOMPARE(list.currentIndex(), -1);

  // Selection flags travel with their entries.
  list.setSelected(2, true);
  list.remove(0);
  QVERIFY(list.isSelected(1));
  QCOMPARE(list.selectedCount(), 1);
  list.setCurrentIndex(0);
  list.clear();
  QCOMPARE(list.currentIndex(), -1);
  QCOMPARE(list.selectedCount(), 0);
}

void TestStationList::findMatchesExactly()
{
  StationList list;
  QCOMPARE(list.find(QStringLiteral("anything")), -1);
  QCOMPARE(list.find(QString()), -1);
  list.insert(-1, QStringLiteral("Clip"), QStringLiteral("host.example"), 4);
  list.insert(-1, QStringLiteral("clip"), QStringLiteral("other.example"), 5);
  list.insert(-1, QStringLiteral("Clip"), QStringLiteral("host.example"), 6);

  QCOMPARE(list.find(QStringLiteral("clip")), 1);
  QCOMPARE(list.find(QStringLiteral("Clip")), 0);
  QCOMPARE(list.find(QStringLiteral("Cli")), -1);
  QCOMPARE(list.find(QStringLiteral("host.example"), StationList::Column::SecondText), 0);
  QCOMPARE(list.find(QStringLiteral("host.example"), StationList::Column::SecondText, 1), 2);
  QCOMPARE(list.find(QStringLiteral("host.example")), -1);
}

void TestStationList::actsAsListModel()
{
  StationList list;
  QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
  list.insert(-1, QStringLiteral("Shown"), QStringLiteral("http://link"), 42);
  list.insert(0, QStringLiteral("Top"), {});
  list.setSelected(1, true);
  const QModelIndex second = list.index(1);
  QCOMPARE(second.data().toString(), QStringLiteral("Shown"));
  QCOMPARE(second.data(StationList::SecondTextRole).toString(), QStringLiteral("http://link"));
  QCOMPARE(second.data(StationList::NumberRole).toInt(), 42);
  QVERIFY(second.data(StationList::SelectedRole).toBool());
  QVERIFY(!list.index(0).data(StationList::SelectedRole).toBool());
  list.remove(0);
  list.selectAll();
  list.clear();
}

void TestStationList::followsViewSelection()
{
  StationList list;
  for (int i = 0; i < 4; ++i) list.insert(-1, QString::number(i), {});
  list.setSelected(3, true);
  QItemSelectionModel view(&list);
  new StationListSelection(&list, &view);
  QVERIFY(view.isRowSelected(3, {}));

  // What the user picks in the view is what the list reports.
  view.select(list.index(1), QItemSelectionModel::ClearAndSelect);
  view.setCurrentIndex(list.index(1), QItemSelectionModel::Select);
  QCOMPARE(list.selectedCount(), 1);
  QVERIFY(list.isSelected(1));
  QCOMPARE(list.currentIndex(), 1);

  // And what the program changes in the list shows in the view.
  list.selectAll();
  QCOMPARE(view.selectedRows().size(), 4);
  list.clearSelection();
  QVERIFY(!view.hasSelection());
  list.setCurrentIndex(2);
  QCOMPARE(view.currentIndex().row(), 2);
  list.remove(0);
  QCOMPARE(view.currentIndex().row(), 1);
}

void TestStationList::saveAndLoadRoundTripEveryText()
{
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Bookmarks.lst"));
  StationList saved;
  fill(saved, awkwardEntries());
  QVERIFY(saved.saveToFile(path));

  StationList loaded;
  loaded.insert(-1, QStringLiteral("replaced"), {});
  loaded.setSelected(0, true);
  loaded.setCurrentIndex(0);
  const ListFileResult result = loaded.loadFromFile(path);
  QVERIFY2(result.ok, qPrintable(result.message));
  QCOMPARE(loaded.entries(), awkwardEntries());
  QCOMPARE(loaded.selectedCount(), 0);
  QCOMPARE(loaded.currentIndex(), -1);

  // The file is UTF-8 text, one line per entry.
  const QByteArray bytes = readAll(path);
  QVERIFY(bytes.contains(QStringLiteral("北京音乐台").toUtf8()));
  QCOMPARE(bytes.count('\n'), awkwardEntries().size() + 2);

  // An empty list round-trips too.
  StationList empty;
  QVERIFY(empty.saveToFile(path));
  QVERIFY(loaded.loadFromFile(path));
  QCOMPARE(loaded.count(), 0);
}

void TestStationList::damagedFilesLeaveListAlone_data()
{
  QTest::addColumn<QByteArray>("bytes");
  StationList source;
  fill(source, awkwardEntries());
  const QByteArray good = encodeListFile(source.entries());
  QTest::newRow("empty file") << QByteArray();
  QTest::newRow("other format") << QByteArray("[Bookmarks]\nJazz=http://x\n");
  QTest::newRow("cut short") << good.left(good.size() / 2);
  QTest::newRow("no end line") << good.left(good.lastIndexOf("end\t"));
  QTest::newRow("entry missing") << QByteArray("Tessivar list 1\na\tb\t1\nend\t2\n");
  QTest::newRow("two fields") << QByteArray("Tessivar list 1\na\tb\nend\t1\n");
  QTest::newRow("bad number") << QByteArray("Tessivar list 1\na\tb\tseven\nend\t1\n");
  QTest::newRow("bad escape") << QByteArray("Tessivar list 1\na\\q\tb\t1\nend\t1\n");
  QTest::newRow("short \\u") << QByteArray("Tessivar list 1\na\\u12\tb\t1\nend\t1\n");
  QTest::newRow("not UTF-8") << QByteArray("Tessivar list 1\n\xff\xfe\tb\t1\nend\t1\n");
  QTest::newRow("text after end") << QByteArray("Tessivar list 1\nend\t0\nmore\tstuff\t1\n");
  QTest::newRow("binary") << QByteArray("\x00\x01\x02\x03 garbage", 12);
}

void TestStationList::damagedFilesLeaveListAlone()
{
  QFETCH(QByteArray, bytes);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Bookmarks.lst"));
  writeAll(path, bytes);
  StationList list;
  list.insert(-1, QStringLiteral("kept"), QStringLiteral("http://kept"), 3);
  list.setSelected(0, true);

  const ListFileResult result = list.loadFromFile(path);
  QVERIFY(!result.ok);
  QVERIFY(!result.message.isEmpty());
  QCOMPARE(list.count(), 1);
  QCOMPARE(list.text(0), QStringLiteral("kept"));
  QVERIFY(list.isSelected(0));
  QCOMPARE(readAll(path), bytes);
}

void TestStationList::savingOverUnreadableFileKeepsIt()
{
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Bookmarks.lst"));
  const QByteArray damaged = "Tessivar list 1\nprecious\thttp://p\t1\n";  // no end line
  writeAll(path, damaged);

  StationList list;
  QVERIFY(!list.loadFromFile(path));
  // The window goes on with an empty list and saves it later: the old file survives beside it.
  const ListFileResult first = list.saveToFile(path);
  QVERIFY(first.ok);
  QVERIFY(first.message.contains(QStringLiteral(".unreadable")));
  QCOMPARE(readAll(path + QStringLiteral(".unreadable")), damaged);
  QVERIFY(list.loadFromFile(path));

  // Once written properly, later saves replace the file without further copies.
  QVERIFY(list.saveToFile(path));
  QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);

  // A second unreadable episode does not overwrite the first copy.
  writeAll(path, "garbage");
  QVERIFY(!list.loadFromFile(path));
  QVERIFY(list.saveToFile(path));
  QCOMPARE(readAll(path + QStringLiteral(".unreadable")), damaged);
  QCOMPARE(readAll(path + QStringLiteral(".unreadable.1")), QByteArray("garbage"));

  // A missing file is no damage: nothing to keep.
  StationList fresh;
  QVERIFY(!fresh.loadFromFile(dir.filePath(QStringLiteral("none.lst"))));
  QVERIFY(fresh.saveToFile(dir.filePath(QStringLiteral("none.lst"))));
  QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.lst.unreadable"))));
}

void TestStationList::saveFailureIsReported()
{
  QTemporaryDir dir;
  StationList list;
  list.insert(-1, QStringLiteral("a"), QStringLiteral("b"));
  const ListFileResult result = list.saveToFile(dir.filePath(QStringLiteral("no/such/folder/list.lst")));
  QVERIFY(!result.ok);
  QVERIFY(!result.message.isEmpty());
  QVERIFY(!list.saveToFile(QString()).ok);
}

TESSIVAR_TEST_MAIN(TestStationList)

#include "test_station_list.moc"
