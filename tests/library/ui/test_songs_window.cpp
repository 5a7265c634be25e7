#include "library/song_log.h"
#include "library/ui/songs_window.h"
#include "support/fake_prompter.h"

#include <QApplication>
#include <QClipboard>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessivar;

class TestSongsWindow : public QObject
{
  Q_OBJECT

 private slots:
  void filterCopyAndClear();
};

void TestSongsWindow::filterCopyAndClear()
{
  QTemporaryDir dir;
  SongLog log(dir.filePath(QStringLiteral("songs.log")));
  test::FakePrompter prompter;
  SongsWindow window(log, prompter);
  window.setAttribute(Qt::WA_DeleteOnClose, false);
  auto *grid = window.findChild<QTableView *>();
  log.record(QStringLiteral("Jazz FM"), QStringLiteral("http://j/"), QStringLiteral("Miles - So What"));
  log.record(QStringLiteral("Rock FM"), QStringLiteral("http://r/"), QStringLiteral("Band - Loud"));
  QCOMPARE(grid->model()->rowCount(), 2);
  // Newest first.
  QCOMPARE(grid->model()->index(0, 2).data().toString(), QStringLiteral("Band - Loud"));

  window.setFilter(QStringLiteral("miles"));
  QCOMPARE(grid->model()->rowCount(), 1);
  QVERIFY(!window.copySelection());
  grid->selectRow(0);
  QVERIFY(window.copySelection());
  QVERIFY(
      QApplication::clipboard()->text().endsWith(QStringLiteral("\tJazz FM\tMiles - So What\thttp://j/")));

  prompter.answers = {PromptAnswer::No, PromptAnswer::Yes};
  window.clearAfterAsking();
  QCOMPARE(log.songs().size(), 2);
  window.clearAfterAsking();
  QVERIFY(log.songs().isEmpty());
  QCOMPARE(grid->model()->rowCount(), 0);
}

QTEST_MAIN(TestSongsWindow)
#include "test_songs_window.moc"
