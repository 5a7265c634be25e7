#pragma once

#include "app/ui/busy_pointer.h"
#include "app/ui/main_menus.h"
#include "platform/app_services.h"
#include "results/pre_verify.h"
#include "results/results_layout.h"
#include "search/search_query.h"
#include "search/search_window.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QRadioButton;
class QTimer;
class QFrame;
class QPixmap;

namespace tessivar {

class BrowseBar;
class MainToolbar;
class PresetBar;
class ProgramOptions;
class ResultTableModel;
class ResultsGrid;
class TrayIcon;

// The main window's controls that the program's features attach to.
struct MainWindowControls
{
  MainMenus menus;
  MainToolbar *toolbar = nullptr;
  QComboBox *searchBox = nullptr;  // txtSearch
  PresetBar *presetBar = nullptr;  // frameSide
  BrowseBar *browseBar = nullptr;  // frameLib
  ResultsGrid *results = nullptr;  // MSHResults
  ResultsGrid *related = nullptr;  // MSHResults2
  TrayIcon *tray = nullptr;
};

// The program's main window frmMain: menus, toolbar, search box and mode options, presets,
// browse bar, the two result grids, status bar, progress bar and tray icon. It is a view: it shows
// the result models and the setup choices it is given and announces what the user asks for
// through the signals below; what a search run and pre-verification do to it goes through the
// two views it implements (searchView, verifyView).
class MainWindow final : public QMainWindow, public SearchWindow, public PreVerifyWindow
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(MainWindow)

 public:
  MainWindow(const AppServices &services, ProgramOptions &options, ResultTableModel &results,
             ResultTableModel &related, QWidget *parent = nullptr);
  ~MainWindow() override;

  // Reads the stored settings into the window (tray icon, proxy, options, last search, presets,
  // setup choices, grid tool tip, browse bar). After it has run, closing the window saves.
  void GetSettings();
  // Whether GetSettings has completed: a window closed before that writes nothing.
  bool hasStarted() const { return started_; }
  // The layout routine, run on every resize: tray rule, minimum size, grid columns for the
  // current mode, the first row selected.
  void layoutWindow();

  const MainWindowControls &controls() const { return controls_; }
  SearchWindow &searchView() { return *this; }
  PreVerifyWindow &verifyView() { return *this; }
  QString statusText(int panel) const;

  // lScanActive: the scanner window is open; toolbar clicks are refused meanwhile.
  void setScanActive(bool active) { scanActive_ = active; }
  // ActiveGrid: 1 when MSHResults last took the focus, 2 when MSHResults2 did.
  int activeGrid() const { return activeGrid_; }
  // A side window (web, scanner, bookmarks, setup, about, ...) closed when this window closes.
  void registerSideWindow(QWidget *window);
  // Checks the mode's option button, which switches the mode: grids emptied, frames and menus
  // for the mode (also when that option was checked already).
  void switchMode(SearchMode mode);
  // Opens a web page (http or https only, see openableWebAddress) with the desktop, reporting a
  // failure.
  bool openAddress(const QString &address);
  // What Stop ends. Stop (menuStop, and the toolbar's Search button reading "Stop") is offered
  // while any of them runs.
  enum class Stoppable { Search = 0x1, DescriptionFetch = 0x2 };
  void setStoppableRunning(Stoppable what, bool running);
  // The toolbar, the search menus and the mode options, as a search locks them; Stop is offered
  // meanwhile. The search box is locked on its own (setSearchBoxEnabled).
  void setSearchControlsLocked(bool locked);
  // lblADDR, the caption of the related results.
  void setRelatedCaption(const QString &text);
  void showRelatedCaption();

  // --- What a search is built from ---------------------------------------------------------------
  QString searchText() const;
  SearchHistory searchHistory() const;
  SearchMode searchMode() const;

  // No menu to hide the toolbar: nothing would bring it back.
  QMenu *createPopupMenu() override { return nullptr; }

 public slots:
  // TimerFlash's tick: lblV red for 1000 ms, then green for 200 ms.
  void flashTick();

 signals:
  // Commands whose work lives in other parts of the program.
  void setupRequested(bool modal);
  void copyLinkRequested();
  void findRequested();
  void findNextRequested();
  void playlistRequested();
  void visitStreamWebsiteRequested();
  void recordRequested();
  void scanRequested();
  void emailLinkRequested();
  void showBookmarksRequested();
  void addBookmarksRequested();
  void quickHelpRequested();
  void aboutRequested();
  void topTenRequested();
  // "&Start Search", or the toolbar's Search button: a search of the box's text in the mode.
  void searchRequested();
  // Enter in the search box, or a pick from its list.
  void searchFromBoxRequested();
  // Stop while a search runs, or the window closing: the search ends.
  void searchStopRequested();
  // A "&Select Format" entry other than "Live Television", by its control name ("menuJazz",
  // "menuAll", ...).
  void genreSearchRequested(const QString &menuName);
  // launchURL(url, name, true): a row double-clicked, "Play", "&Play Stream".
  void playRequested(const QString &url, const QString &name);
  // Related grid: several selected rows to play as a playlist (grid row numbers).
  void relatedPlaylistRequested(const QList<int> &rows);
  // A result row clicked: related results (main grid), or the web site preview (mini-browser).
  void relatedResultsRequested(int row);
  void websitePreviewRequested(const QString &url);
  // The mode option buttons were switched (after the window has followed).
  void modeSwitched(tessivar::SearchMode mode);
  // Stop was chosen, or the window is closing: every running description fetch ends.
  void stopRequested();

 protected:
  void closeEvent(QCloseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  // --- SearchWindow ------------------------------------------------------------------------------
  void lockForSearch() override;
  void setSearchBoxEnabled(bool enabled) override;
  void unlockAfterSearch() override;
  bool isUnloading() const override { return unloading_; }
  void setStatusText(int panel, const QString &text) override;
  void setResultsCaption(const QString &text) override;
  void showTotalPages(const QString &totalPages) override;
  int progressMaximum() const override;
  void setProgressMaximum(int maximum) override;
  void setProgressValue(int value) override;
  void setSearchText(const QString &text) override;
  void addSearchHistoryEntry(const QString &text) override;
  ResultTableModel *resultsModel() override { return &resultsModel_; }
  ResultTableModel *relatedModel() override { return &relatedModel_; }

  // --- PreVerifyWindow ---------------------------------------------------------------------------
  void showVerifying(bool on) override;
  void resetProgress(int maximum) override;
  void setResultsRedraw(bool on) override;
  bool isClosing() const override { return unloading_; }

  void buildControls();
  void buildStatusBar();
  void buildTimers();
  void connectMenus();
  void connectToolbar();
  void connectGrids();
  // What switching to a mode does to the window, once its option is checked.
  void applyMode(SearchMode mode);
  void onToolbarButton(const QString &caption);
  void stop();
  bool refuseWhileScanning();
  void applyTrayRule();
  void restoreFromTray();
  void holdMinimumSize();
  // Status panel 1: the format of MSHResults' current row + " Stream"; nothing for an empty URL.
  void showStreamFormat();
  // lblV "Pre-verifying Files" with its blink (TimerFlash).
  void showPreVerifying(bool on);
  void saveOnExit();
  void SaveSettings();
  void closeSideWindows();

  AppServices services_;
  ProgramOptions &setup_;
  ResultTableModel &resultsModel_;
  ResultTableModel &relatedModel_;
  results_layout::SortDirection sortOrder_;

  MainWindowControls controls_;
  QFrame *frameTop_ = nullptr;
  QLabel *label3_ = nullptr;
  QRadioButton *optLive_ = nullptr;
  QRadioButton *optArch_ = nullptr;
  QRadioButton *optLib_ = nullptr;
  QLabel *lblSearch_ = nullptr;
  QLabel *lblSearch2_ = nullptr;
  QLabel *lblADDR_ = nullptr;
  QLabel *lblV_ = nullptr;
  QLabel *lblMove_ = nullptr;
  QWidget *relatedArea_ = nullptr;
  QList<QLabel *> panels_;
  QProgressBar *progbar_ = nullptr;
  QTimer *timerFlash_ = nullptr;
  QList<QPointer<QWidget>> sideWindows_;

  bool started_ = false;
  bool unloading_ = false;
  bool scanActive_ = false;
  bool preVerifyBusy_ = false;
  int stoppableRunning_ = 0;  // Stoppable values
  BusyPointer busyPointer_;
  int activeGrid_ = 1;
};

}  // namespace tessivar
