#include "main_window_fixture.h"

#include "app/ui/application.h"
#include "app/ui/browse_bar.h"
#include "app/ui/main_toolbar.h"
#include "app/ui/preset_bar.h"
#include "base/program_options.h"
#include "base/twips.h"
#include "platform/transfer_state.h"
#include "platform/ui/screen_dpi.h"
#include "results/result_table_model.h"
#include "results/ui/results_grid.h"
#include "search/search_run.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolButton>

using namespace tessivar;

namespace {

// One menu's entries in order: control name, caption ("-" for a separator), shortcut.
using MenuRows = QList<std::array<const char *, 3>>;

void compareMenu(const QMenu *menu, const MenuRows &rows)
{
  const QList<QAction *> actions = menu->actions();
  QCOMPARE(actions.size(), rows.size());
  for (int index = 0; index < rows.size(); ++index) {
    const auto &row = rows.at(index);
    const QAction *action = actions.at(index);
    const QString name = QLatin1String(row[0]);
    const bool separator = QLatin1String(row[1]) == QLatin1String("-");
    if (action->menu() != nullptr) {
      QCOMPARE(action->menu()->objectName(), name);
    } else {
      QCOMPARE(action->objectName(), name);
    }
    QCOMPARE(action->isSeparator(), separator);
    if (!separator) QCOMPARE(action->text(), QString::fromUtf8(row[1]));
    QCOMPARE(action->shortcut(), QKeySequence::fromString(QLatin1String(row[2])));
  }
}

}  // namespace

class TestMainWindowFrame final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<test::MainWindowFixture> f;

 private slots:
  void init() { f = std::make_unique<test::MainWindowFixture>(); }
  void cleanup() { f.reset(); }

  void theMenuTreeHasEveryEntryInOrder()
  {
    const QList<QAction *> top = f->window->menuBar()->actions();
    QStringList captions;
    for (const QAction *action : top) captions << action->text();
    QCOMPARE(captions,
             (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&Search"),
                          QStringLiteral("&Select Format"), QStringLiteral("&Help")}));

    compareMenu(f->find<QMenu>(QStringLiteral("menuFile")),
                {{"menuSetup", "&Setup", ""},
                 {"menuAdd", "&Add a Station", ""},
                 {"menuStartStation", "Start your own Radio Station", ""},
                 {"menuSep99", "-", ""},
                 {"menuExit", "E&xit", "F12"}});
    compareMenu(f->find<QMenu>(QStringLiteral("menuEdit")), {{"menuCopy", "&Copy", "Ctrl+C"},
                                                             {"menusep1", "-", ""},
                                                             {"menuFind", "&Find", "Ctrl+F"},
                                                             {"menuFindNext", "Find &Next", "F3"}});
    compareMenu(f->find<QMenu>(QStringLiteral("menuSearch")),
                {{"menuStart", "&Start Search", ""},
                 {"menuStop", "S&top Search", ""},
                 {"menuBlank", "-", ""},
                 {"menuPlay", "&Play Stream", ""},
                 {"menuPlaylist", "Play Selected Streams as a Playlist", "F4"},
                 {"menuSep9991", "-", ""},
                 {"menuVisitStr", "&Visit Stream Website", ""},
                 {"menuRecord", "&Record Stream", "F5"},
                 {"menuStopRecord", "Stop Recordin&g", ""},
                 {"menuBlank2", "-", ""},
                 {"menuScan", "S&can Stations", ""},
                 {"menuViewT", "View top 10 most searched terms", ""},
                 {"menuSongs", "Songs &Heard", ""},
                 {"menuBlank3", "-", ""},
                 {"menuEmail", "&Email Link to a Friend", ""},
                 {"menuMod", "&Bookmarks", ""},
                 {"menuSep9283", "-", ""},
                 {"menuDownload", "Download Media", ""}});
    compareMenu(
        f->find<QMenu>(QStringLiteral("menuMod")),
        {{"menuShotBookmarks", "&Show Bookmarks", ""}, {"menuAddB", "&Add Selected Items to Bookmarks", ""}});
    compareMenu(f->find<QMenu>(QStringLiteral("menuHelp")), {{"menuQuickHelp", "&Quick Help", "F1"},
                                                             {"menuDemo", "&Online Demo", ""},
                                                             {"menuSupport", "&Support", ""},
                                                             {"menusep1923", "-", ""},
                                                             {"menuVisit", "&Visit Halvorne", ""},
                                                             {"menuSep999", "-", ""},
                                                             {"menuAbout", "&About", ""}});
    QVERIFY(!f->find<QAction>(QStringLiteral("menuStop"))->isEnabled());
  }

  void theFormatMenuListsTheGenresBetweenItsSeparators()
  {
    const QList<QAction *> entries = f->find<QMenu>(QStringLiteral("menuSelect"))->actions();
    QCOMPARE(entries.size(), 41);
    QCOMPARE(entries.at(0)->objectName(), QStringLiteral("menuCollege"));
    QCOMPARE(entries.at(3)->text(), QStringLiteral("Special (Police, Scanners, Emergency)"));
    QVERIFY(entries.at(5)->isSeparator());
    QCOMPARE(entries.at(6)->text(), QStringLiteral("50's"));
    QCOMPARE(entries.at(20)->objectName(), QStringLiteral("MenuExp"));
    QCOMPARE(entries.at(38)->text(), QStringLiteral("Zydeco"));
    QVERIFY(entries.at(39)->isSeparator());
    QCOMPARE(entries.at(40)->text(), QStringLiteral("&List All Stations"));

    QSignalSpy genres(f->window, &MainWindow::genreSearchRequested);
    f->find<QAction>(QStringLiteral("menuJazz"))->trigger();
    f->find<QAction>(QStringLiteral("menuAll"))->trigger();
    QCOMPARE(genres.size(), 2);
    QCOMPARE(genres.at(0).at(0).toString(), QStringLiteral("menuJazz"));
    QCOMPARE(genres.at(1).at(0).toString(), QStringLiteral("menuAll"));
    f->find<QAction>(QStringLiteral("menuTV"))->trigger();  // a web page, not a search
    QCOMPARE(genres.size(), 2);
  }

  void theToolbarHasEightButtonsBetweenSeparators()
  {
    const MainToolbar *toolbar = f->window->controls().toolbar;
    QCOMPARE(toolbar->objectName(), QStringLiteral("Toolbar1"));
    const QStringList captions{QStringLiteral("Setup"),     QStringLiteral("Search"),
                               QStringLiteral("Play"),      QStringLiteral("Record"),
                               QStringLiteral("Website"),   QStringLiteral("Scan"),
                               QStringLiteral("Bookmarks"), QStringLiteral("Email Link")};
    const QStringList tips{QStringLiteral("Setup Options"),        QStringLiteral("Start Search"),
                           QStringLiteral("Play Stream"),          QString(),
                           QStringLiteral("Visit Stream Website"), QStringLiteral("Scan Stations"),
                           QStringLiteral("Modify Bookmarks"),     QStringLiteral("Email Link to a Friend")};
    const QList<QAction *> items = toolbar->actions();
    QCOMPARE(items.size(), 15);
    for (int index = 0; index < captions.size(); ++index) {
      const QToolButton *button = toolbar->item(2 * index + 1);
      QVERIFY(button != nullptr);
      QCOMPARE(button->text(), captions.at(index));
      QCOMPARE(button->toolTip(), tips.at(index));
      if (index > 0) QVERIFY(items.at(2 * index - 1)->isSeparator());
    }
    const QMenu *dropDown = toolbar->item(13)->menu();
    QVERIFY(dropDown != nullptr);
    QCOMPARE(dropDown->actions().at(0)->text(), QStringLiteral("Add Selected Item to Bookmarks"));
    QCOMPARE(dropDown->actions().at(1)->text(), QStringLiteral("Show Bookmarks"));
  }

  void toolbarClicksAreRefusedWhileTheScannerIsOpen()
  {
    QSignalSpy setups(f->window, &MainWindow::setupRequested);
    QSignalSpy scans(f->window, &MainWindow::scanRequested);
    QSignalSpy adds(f->window, &MainWindow::addBookmarksRequested);
    QSignalSpy shows(f->window, &MainWindow::showBookmarksRequested);
    f->window->controls().toolbar->item(1)->click();
    QCOMPARE(setups.size(), 1);
    QCOMPARE(setups.at(0).at(0).toBool(), true);  // the toolbar's setup is modal

    f->window->setScanActive(true);
    f->window->controls().toolbar->item(1)->click();
    f->window->controls().toolbar->item(11)->click();
    QCOMPARE(setups.size(), 1);
    QCOMPARE(scans.size(), 0);
    QCOMPARE(f->prompter.texts(), QStringList(2, QStringLiteral("Please close station scanning window.")));
    QCOMPARE(f->prompter.prompts.at(0).icon, PromptIcon::Critical);

    // The Bookmarks drop-down is not guarded.
    f->window->controls().toolbar->addBookmarkEntry()->trigger();
    f->window->controls().toolbar->showBookmarksEntry()->trigger();
    QCOMPARE(adds.size(), 1);
    QCOMPARE(shows.size(), 1);
    QCOMPARE(f->prompter.prompts.size(), 2);
  }

  void lockingForASearchSwapsSearchForStop()
  {
    MainWindow &window = *f->window;
    const MainToolbar *toolbar = window.controls().toolbar;
    window.searchView().lockForSearch();
    QCOMPARE(toolbar->item(3)->text(), QStringLiteral("Stop"));
    QCOMPARE(toolbar->item(3)->toolTip(), QStringLiteral("Stop Search"));
    for (const int locked : {1, 5, 7, 9, 11}) QVERIFY(!toolbar->item(locked)->isEnabled());
    QVERIFY(toolbar->item(13)->isEnabled());
    QVERIFY(window.controls().menus.menuStop->isEnabled());
    QVERIFY(!window.controls().menus.menuStart->isEnabled());
    QVERIFY(!window.controls().menus.menuScan->isEnabled());
    for (const char *name : {"txtSearch", "optLive", "optArch", "optLib", "frameLib"})
      QVERIFY2(!f->find<QWidget>(QLatin1String(name))->isEnabled(), name);
    QVERIFY(f->find<QLabel>(QStringLiteral("lblADDR"))->isHidden());

    // The button reading "Stop" stops the run.
    window.controls().toolbar->item(3)->click();
    QVERIFY(f->parts->searchRun().stopRequested());

    window.searchView().unlockAfterSearch();
    QCOMPARE(toolbar->item(3)->text(), QStringLiteral("Search"));
    QCOMPARE(toolbar->item(3)->toolTip(), QStringLiteral("Start Search"));
    for (const int locked : {1, 5, 7, 9, 11}) QVERIFY(toolbar->item(locked)->isEnabled());
    QVERIFY(!window.controls().menus.menuStop->isEnabled());
    QVERIFY(window.controls().menus.menuStart->isEnabled());
    QVERIFY(f->find<QWidget>(QStringLiteral("optArch"))->isEnabled());
    QVERIFY(f->find<QWidget>(QStringLiteral("frameLib"))->isEnabled());
    QVERIFY(!f->find<QWidget>(QStringLiteral("txtSearch"))->isEnabled());  // left to the run
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  }

  // A StreamWorks description still arriving: Stop is offered with no search running, and ends it.
  void stopEndsADescriptionFetch()
  {
    test::HttpTestServer server;
    QVERIFY(server.listen());
    server.setScript({test::HttpTestServer::hold()});
    wireProgram(*f->parts);
    f->parts->options().setPlayerPath(SetupPlayer::StreamWorks, QStringLiteral("/usr/bin/xing"));
    emit f->window->playRequested(server.url(QStringLiteral("/live.xdm")).toString(), QString());
    QTRY_COMPARE(server.openConnections(), 1);
    QCOMPARE(f->window->controls().toolbar->item(3)->text(), QStringLiteral("Stop"));
    f->window->controls().menus.menuStop->trigger();
    QTRY_COMPARE(server.openConnections(), 0);
    QTRY_VERIFY(!f->window->controls().menus.menuStop->isEnabled());
    QVERIFY(f->prompter.prompts.isEmpty());
  }

  void theBrowseBarLaysOutItsLabelsInTwips()
  {
    f->window->GetSettings();
    const double dpi = screenDpi(f->window);
    for (int index = 0; index < BrowseBar::labelCount; ++index) {
      const QAbstractButton *label =
          f->find<QAbstractButton>(QStringLiteral("Label1_") + QString::number(index));
      QVERIFY(label != nullptr);
      QCOMPARE(label->text(), index < 26 ? QString(QChar('A' + index)) : QString::number(index - 26));
      QCOMPARE(label->x(), twips::toPixels(index < 26 ? 30 + 220 * index : 220 * (index + 1), dpi));
      QCOMPARE(label->y(), twips::toPixels(250, dpi));
      QCOMPARE(label->width(), twips::toPixels(255, dpi));
      QVERIFY(label->font().underline());
      QCOMPARE(label->palette().color(QPalette::ButtonText), QColor(0, 0, 128));
      QCOMPARE(label->accessibleName(), label->text());
    }
    // "Z" ends at 5785 twips, the digits begin at 5940.
    QCOMPARE(BrowseBar::labelLeftTwips(25) + BrowseBar::labelWidthTwips, 5785);
    QCOMPARE(BrowseBar::labelLeftTwips(26), 5940);
    QCOMPARE(f->find<QLabel>(QStringLiteral("lblBrowse"))->text(), QStringLiteral("  Current Page : 0 of 0"));
    QCOMPARE(f->find<QWidget>(QStringLiteral("cmdP0"))->property("text").toString(),
             QStringLiteral("Previous"));
    QCOMPARE(f->find<QWidget>(QStringLiteral("cmdP1"))->property("text").toString(), QStringLiteral("Next"));

    QSignalSpy letters(f->window->controls().browseBar, &BrowseBar::letterClicked);
    QAbstractButton *k = f->find<QAbstractButton>(QStringLiteral("Label1_10"));
    QTest::mouseClick(k, Qt::LeftButton, {}, k->rect().center());
    QCOMPARE(letters.size(), 1);
    QCOMPARE(letters.at(0).at(0).toInt(), 10);
  }

  void fixedLinksOpenTheSitePagesAndReportAFailure()
  {
    f->settings->setText(SettingKey::SiteHost, QStringLiteral("site.example:8080"));
    const QString site = QStringLiteral("http://site.example:8080");
    const QList<std::pair<const char *, QString>> links{
        {"menuAdd", QStringLiteral("/addsite.htm")},
        {"menuStartStation", QStringLiteral("/mystation.htm")},
        {"menuDownload", QStringLiteral("/mediagrab.htm")},
        {"menuTV", QStringLiteral("/ctube.htm")},
        {"menuDemo", QStringLiteral("/demo.asp?P=T")},
        {"menuSupport", QStringLiteral("/mailform.htm")},
        {"menuVisit", QStringLiteral("/about.asp?P=T")}};
    for (const auto &[name, path] : links) {
      f->find<QAction>(QLatin1String(name))->trigger();
      QCOMPARE(f->shell.opened.last(), site + path);
    }
    QVERIFY(f->prompter.prompts.isEmpty());

    f->parts->setDataServer(QStringLiteral("data.example"));
    f->find<QAction>(QStringLiteral("menuViewT"))->trigger();
    QCOMPARE(f->shell.opened.last(), QStringLiteral("http://data.example/top10.asp?P=T"));

    f->shell.succeed = false;
    f->find<QAction>(QStringLiteral("menuSupport"))->trigger();
    QCOMPARE(f->prompter.prompts.size(), 1);
    QCOMPARE(f->prompter.prompts.at(0).text, QStringLiteral("Error Executing Application or File Not Found"));
    QCOMPARE(f->prompter.prompts.at(0).icon, PromptIcon::None);
    QCOMPARE(f->prompter.prompts.at(0).title, QStringLiteral("Tessivar"));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  }

  void controlsCarryTheirNamesAndDesignTexts()
  {
    MainWindow &window = *f->window;
    QCOMPARE(window.objectName(), QStringLiteral("frmMain"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Tessivar! Broadcast v3.7"));
    QCOMPARE(window.statusBar()->objectName(), QStringLiteral("statbar"));
    QCOMPARE(window.statusText(1), QStringLiteral("Ready"));
    QCOMPARE(f->find<QRadioButton>(QStringLiteral("optArch"))->text(),
             QStringLiteral("Streaming Audio && Video"));
    QCOMPARE(f->find<QRadioButton>(QStringLiteral("optLib"))->toolTip(),
             QStringLiteral(
                 "Click here to search for streaming audio and video clips, movies, concerts and more"));
    QCOMPARE(f->find<QRadioButton>(QStringLiteral("optLive"))->toolTip(),
             QStringLiteral("Click here to search for live radio and television broadcasts"));
    QCOMPARE(f->find<QLabel>(QStringLiteral("lblV"))->text(), QStringLiteral("Pre-verifying Files"));
    QVERIFY(f->find<QWidget>(QStringLiteral("progbar")) != nullptr);
    for (int index = 0; index < PresetBar::buttonCount; ++index) {
      const QToolButton *preset = f->find<QToolButton>(QStringLiteral("pPreset") + QString::number(index));
      QVERIFY(preset != nullptr);
      QCOMPARE(preset->toolTip(),
               QStringLiteral("Drag and Drop station listing here while holding Shift Key"));
      QVERIFY(!preset->accessibleName().isEmpty());
    }
    for (const char *name : {"MSHResults", "MSHResults2", "frameLib", "frameSide", "txtSearch"})
      QVERIFY2(!f->find<QWidget>(QLatin1String(name))->accessibleName().isEmpty(), name);
  }

  // A screen reader hears what every label shows, and every control has a name.
  void theAccessibilityTreeExposesTextsAndNames()
  {
    MainWindow &window = *f->window;
    const auto readName = [](QWidget *widget) {
      QAccessibleInterface *node = QAccessible::queryAccessibleInterface(widget);
      return node != nullptr ? node->text(QAccessible::Name) : QString();
    };
    QCOMPARE(readName(f->find<QLabel>(QStringLiteral("statbarPanel1"))), QStringLiteral("Ready"));
    const QList<QWidget *> widgets = window.findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
      const QByteArray name = widget->objectName().toUtf8();
      if (name.startsWith("qt_")) continue;  // Qt's own helpers (menu and toolbar extension buttons)
      if (auto *label = qobject_cast<QLabel *>(widget); label && !label->text().isEmpty())
        QVERIFY2(readName(label).contains(label->text()), name.constData());
      if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QComboBox *>(widget) ||
          qobject_cast<QAbstractItemView *>(widget))
        QVERIFY2(!readName(widget).isEmpty(),
                 (name + " " + widget->metaObject()->className() + " in " +
                  (widget->parent() ? widget->parent()->objectName().toUtf8() : QByteArray()))
                     .constData());
    }
  }

  // The toolbar cannot be hidden by accident: there would be no way to bring it back.
  void theToolbarOffersNoHidingMenu() { QVERIFY(f->window->createPopupMenu() == nullptr); }

  void enterInTheSearchBoxRunsTheSearchFromTheBox()
  {
    f->window->show();
    QComboBox *box = f->window->controls().searchBox;
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);  // empty box: refused with a message
    QCOMPARE(f->prompter.texts(), QStringList{QStringLiteral("Please enter search text.")});
    QCOMPARE(box->count(), 0);  // Enter adds nothing to the list by itself
  }

  void typingAHistoryEntryAndLeavingTheBoxStartsNoSearch()
  {
    MainWindow &window = *f->window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));  // focus moves only in the active window
    QComboBox *box = window.controls().searchBox;
    window.searchView().addSearchHistoryEntry(QStringLiteral("jazz"));
    window.searchView().addSearchHistoryEntry(QStringLiteral("rock"));
    QSignalSpy picks(box, &QComboBox::activated);
    box->setFocus();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("rock"));
    window.controls().results->setFocus();
    QCOMPARE(picks.size(), 0);
    QVERIFY(box->isEnabled());  // no search run has locked the window
    QCOMPARE(box->currentText(), QStringLiteral("rock"));

    // A pick from the drop-down list still searches.
    box->showPopup();
    QTRY_VERIFY(box->view()->isVisible());
    box->view()->setCurrentIndex(box->model()->index(0, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    QCOMPARE(picks.size(), 1);
    QCOMPARE(box->currentText(), QStringLiteral("jazz"));
  }

  void movingInTheGridShowsTheFormatAndLink()
  {
    MainWindow &window = *f->window;
    window.show();
    ResultTableModel *model = &f->parts->resultsModel();
    model->setRowCount(2);
    model->setText(0, 0, QStringLiteral("Alpha"));
    model->setText(0, 4, QStringLiteral("http://a.example/live.ram"));
    model->setText(0, 5, QStringLiteral("http://a.example/"));
    model->setText(1, 0, QStringLiteral("Bravo"));
    model->setText(1, 4, QStringLiteral("http://b.example/show.asx"));
    model->setText(1, 5, QStringLiteral("http://b.example/"));
    ResultsGrid *grid = window.controls().results;
    grid->setFocus();
    grid->selectRows(1, 1);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(window.statusText(1), QStringLiteral("Microsoft Media Stream"));
    QCOMPARE(window.statusText(3), QStringLiteral("http://b.example/"));
    QTest::keyClick(grid, Qt::Key_Home);
    QCOMPARE(window.statusText(1), QStringLiteral("RealAudio Stream"));

    QSignalSpy plays(&window, &MainWindow::playRequested);
    window.controls().menus.menuPlay->trigger();
    QCOMPARE(plays.size(), 1);
    QCOMPARE(plays.at(0).at(0).toString(), QStringLiteral("http://a.example/live.ram"));
    window.controls().toolbar->item(5)->click();
    QCOMPARE(plays.size(), 2);
  }

  void theModeOptionsSwitchFramesAndMenus()
  {
    MainWindow &window = *f->window;
    window.show();
    // A screen reader toggles the option instead of clicking it.
    QAccessibleInterface *optLib =
        QAccessible::queryAccessibleInterface(f->find<QWidget>(QStringLiteral("optLib")));
    optLib->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(window.searchMode(), SearchMode::Library);
    QVERIFY(f->find<QWidget>(QStringLiteral("frameLib"))->isVisible());
    QVERIFY(!f->find<QWidget>(QStringLiteral("frameSide"))->isVisible());
    QVERIFY(!window.controls().menus.menuSelect->menuAction()->isEnabled());
    QVERIFY(window.controls().menus.menuPlaylist->isVisible());
    f->find<QRadioButton>(QStringLiteral("optArch"))->click();
    QCOMPARE(f->find<QLabel>(QStringLiteral("Label3"))->text(),
             QStringLiteral("Enter Keywords (Subject, Band Name, Person, etc)"));
    QVERIFY(f->find<QWidget>(QStringLiteral("MSHResults2"))->isVisible());
    f->find<QRadioButton>(QStringLiteral("optLive"))->click();
    QVERIFY(f->find<QWidget>(QStringLiteral("frameSide"))->isVisible());
    QVERIFY(!f->find<QWidget>(QStringLiteral("MSHResults2"))->isVisible());
    QVERIFY(window.controls().menus.menuSelect->menuAction()->isEnabled());
    QVERIFY(!window.controls().menus.menuPlaylist->isVisible());
    QCOMPARE(f->find<QLabel>(QStringLiteral("lblSearch2"))->text(), QStringLiteral("  Search Results (0)"));
  }
};

TESSIVAR_TEST_MAIN(TestMainWindowFrame)
#include "test_main_window_frame.moc"
