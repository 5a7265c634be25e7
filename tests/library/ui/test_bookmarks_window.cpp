#include "base/twips.h"
#include "library/bookmarks.h"
#include "library/ui/bookmarks_controller.h"
#include "library/ui/bookmarks_window.h"
#include "platform/station_list.h"
#include "platform/ui/window_accessibility.h"
#include "results/result_table_model.h"
#include "results/ui/results_grid.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"

#include <QAccessible>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>

using namespace tessivar;
using test::FakePrompter;

class TestBookmarksWindow final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  FakePrompter prompter_;
  std::unique_ptr<QWidget> owner_;
  BookmarksController *controller_ = nullptr;

  QString path() const { return dir_->filePath(QStringLiteral("Bookmarks.lst")); }
  QList<ListEntry> onDisk() const
  {
    FakePrompter quiet;
    Bookmarks fresh(path(), quiet);
    fresh.load();
    return fresh.list().entries();
  }
  static QList<ListEntry> clips(int count)
  {
    QList<ListEntry> result;
    for (int n = 1; n <= count; ++n)
      result.append({QStringLiteral("Clip %1 [ %1]").arg(n), QStringLiteral("http://c/%1.rm").arg(n), 0});
    return result;
  }

 private slots:
  void init()
  {
    dir_ = std::make_unique<QTemporaryDir>();
    prompter_ = FakePrompter();
    owner_ = std::make_unique<QWidget>();
    controller_ = new BookmarksController(path(), prompter_, owner_.get());
  }
  void cleanup() { owner_.reset(); }

  void screenReadersSeeAFrameNotAFiller()
  {
    installWindowAccessibility();
    controller_->show();
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(controller_->loadedWindow());
    QCOMPARE(window->role(), QAccessible::Window);
  }

  void windowPlaysDeletesAndSavesFromTheKeyboard()
  {
    controller_->show();
    BookmarksWindow *window = controller_->loadedWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->objectName(), QStringLiteral("frmBookmarks"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Bookmarks"));
    for (const char *name : {"lstB", "cmdClose", "cmdExport", "cmdImport", "statbar"})
      QVERIFY2(!window->findChild<QWidget *>(QLatin1String(name))->accessibleName().isEmpty(), name);
    QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("cmdClose"))->text(), QStringLiteral("&Close"));
    window->resize(5, 5);
    QVERIFY(window->height() >= twips::toPixelsCovering(1000, window->logicalDpiY()));

    window->bookmarks().insertEntries(clips(4));
    auto *list = window->findChild<QListView *>(QStringLiteral("lstB"));
    auto *panel = window->findChild<QLabel *>(QStringLiteral("statbarPanel1"));
    QSignalSpy plays(controller_, &BookmarksController::playRequested);
    const auto rect = [list](int row) { return list->visualRect(list->model()->index(row, 0)); };

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect(1).center());
    QCOMPARE(panel->text(), QStringLiteral("http://c/2.rm"));
    QTest::keyClick(list, Qt::Key_Return);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect(1).center());
    QCOMPARE(plays.size(), 2);
    QCOMPARE(plays.at(0), (QVariantList{QStringLiteral("http://c/2.rm"), QStringLiteral("Clip 2 [ 2]")}));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, rect(3).center());
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(onDisk(), (QList<ListEntry>{clips(4).at(0), clips(4).at(2)}));

    // Escape unloads the window; the next use loads the list again from the file.
    QTest::keyClick(list, Qt::Key_Escape);
    QTRY_VERIFY(controller_->loadedWindow() == nullptr);
    QCOMPARE(controller_->window()->bookmarks().list().count(), 2);
    QVERIFY(prompter_.prompts.isEmpty());
  }

  void addsFromTheGridAndThePlayedList()
  {
    ResultTableModel rows;
    rows.setRowCount(3);
    for (int row = 0; row < 3; ++row) {
      rows.setText(row, 3, QStringLiteral("Clip %1").arg(row + 1));
      rows.setText(row, 4, QString::number(row + 1));
      rows.setText(row, 5, QStringLiteral("http://c/%1.rm").arg(row + 1));
    }
    results_layout::SortDirection direction{};
    ResultsGrid grid(ResultsGrid::Kind::Results, direction);
    grid.setResultModel(&rows);
    grid.selectRows(1, 3);

    controller_->addFromGrid(grid, SearchMode::Live);
    QCOMPARE(prompter_.texts(),
             QStringList{QStringLiteral("Cannot add live stations to bookmarks, please use presets.")});
    QVERIFY(controller_->loadedWindow() == nullptr);

    controller_->addFromGrid(grid, SearchMode::Archive);
    QVERIFY(!controller_->loadedWindow()->isVisible());
    QCOMPARE(onDisk(), clips(3));

    controller_->addFromPlayedList(
        {clips(3).at(0), {QStringLiteral("Scanned"), QStringLiteral("http://s/"), 0}});
    QCOMPARE(prompter_.texts().last(), QStringLiteral("Added Bookmark(s)"));
    QCOMPARE(onDisk(), (clips(3) << ListEntry{QStringLiteral("Scanned"), QStringLiteral("http://s/"), 0}));
  }
};

TESSIVAR_TEST_MAIN(TestBookmarksWindow)
#include "test_bookmarks_window.moc"
