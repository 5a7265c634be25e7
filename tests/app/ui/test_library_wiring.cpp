#include "main_window_fixture.h"

#include "app/ui/application.h"
#include "app/ui/library_wiring.h"
#include "app/ui/preset_bar.h"
#include "library/bookmarks.h"
#include "library/ui/bookmarks_window.h"
#include "platform/station_list.h"
#include "results/result_table_model.h"
#include "results/ui/results_grid.h"
#include "support/test_environment.h"

#include <QAction>
#include <QComboBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

using namespace tessivar;

// The presets and the bookmarks as the main window offers them.
class TestLibraryWiring final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<test::MainWindowFixture> f;
  QString bookmarksPath() const { return f->folder.filePath(QStringLiteral("Bookmarks.lst")); }

 private slots:
  void init()
  {
    f = std::make_unique<test::MainWindowFixture>();
    wireLibrary(*f->parts, bookmarksPath());
  }
  void cleanup() { f.reset(); }

  void presetButtonsAssignAndPlay()
  {
    MainWindow &window = *f->window;
    f->settings->setPreset(2, QStringLiteral("Jazz FM") + presetSeparator + QStringLiteral("http://j/a.pls"));
    window.GetSettings();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy plays(&window, &MainWindow::playRequested);

    QToolButton *third = f->find<QToolButton>(QStringLiteral("pPreset2"));
    QTest::mouseClick(third, Qt::LeftButton);
    QCOMPARE(plays.value(0), (QVariantList{QStringLiteral("http://j/a.pls"), QStringLiteral("Jazz FM")}));

    emit window.controls().presetBar->presetDropped(
        4, QStringLiteral("Rock") + presetSeparator + QStringLiteral("http://r/"));
    QCOMPARE(f->prompter.texts(), QStringList{QStringLiteral("Preset 5 Assigned to Rock")});
    QCOMPARE(f->find<QToolButton>(QStringLiteral("pPreset4"))->toolTip(), QStringLiteral("Rock"));

    // Enter on an unassigned button: the hint, the search box focused, then the click.
    QToolButton *first = f->find<QToolButton>(QStringLiteral("pPreset0"));
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Return);
    QCOMPARE(f->prompter.texts().last(),
             QStringLiteral("Drag and Drop station here while holding Shift Key to assign preset"));
    QTRY_VERIFY(window.controls().searchBox->hasFocus());
    QCOMPARE(plays.value(1).value(0).toString(), QStringLiteral("NONE"));
  }

  void bookmarksAddShowPlayAndCloseWithTheWindow()
  {
    MainWindow &window = *f->window;
    window.GetSettings();
    f->find<QRadioButton>(QStringLiteral("optArch"))->click();
    ResultTableModel *rows = &f->parts->resultsModel();
    rows->setRowCount(1);
    rows->setText(0, 3, QStringLiteral("Clip"));
    rows->setText(0, 4, QStringLiteral("8"));
    rows->setText(0, 5, QStringLiteral("http://c/1.rm"));
    window.controls().results->selectRows(1, 1);
    window.controls().menus.menuAddB->trigger();
    QVERIFY(f->prompter.prompts.isEmpty());

    auto *bookmarks = window.findChild<BookmarksWindow *>(QStringLiteral("frmBookmarks"));
    QVERIFY(bookmarks != nullptr && !bookmarks->isVisible());
    window.controls().menus.menuShotBookmarks->trigger();
    QVERIFY(bookmarks->isVisible());
    QSignalSpy plays(&window, &MainWindow::playRequested);
    bookmarks->bookmarks().play(0);
    QCOMPARE(plays.value(0), (QVariantList{QStringLiteral("http://c/1.rm"), QStringLiteral("Clip [ 8]")}));

    QPointer<BookmarksWindow> closing(bookmarks);
    window.close();
    QVERIFY(closing.isNull() || !closing->isVisible());
    Bookmarks stored(bookmarksPath(), f->prompter);
    stored.load();
    QCOMPARE(stored.list().count(), 1);
  }
};

TESSIVAR_TEST_MAIN(TestLibraryWiring)
#include "test_library_wiring.moc"
