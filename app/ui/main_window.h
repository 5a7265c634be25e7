#pragma once

#include "app/ui/busy_pointer.h"
#include "app/ui/main_menus.h"
#include "app/ui/twips_geometry.h"
#include "platform/app_services.h"
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
class HttpTransfer;
class MainToolbar;
class PresetBar;
class ResultTableModel;
class ResultsGrid;
class SearchRun;
class ProgramOptions;
class TrayIcon;
class ResultVerification;

// The program's main window frmMain: menus, toolbar, search box and mode options, presets,
// browse bar, the two result grids, status bar, progress bar and tray icon. It owns the window's
// HTTP transfer (HTTP1), the search run, the setup choices in force and the result models, and
// implements what a search run does to the window. Commands whose work lives elsewhere are
// announced through the signals below.
class MainWindow final : public QMainWindow, public SearchWindow
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(MainWindow)

 public:
  // The window's HTTP transfer (HTTP1) comes from the services' transfer factory.
  explicit MainWindow(const AppServices &services, QWidget *parent = nullptr);
  ~MainWindow() override;

  // --- start-up ---------------------------------------------------------------------------------
  // Reads the stored settings into the window (tray icon, proxy, options, last search, presets,
  // setup choices, grid tool tip, browse bar). After it has run, closing the window saves.
  void GetSettings();
  // Whether GetSettings has completed: a window closed before that writes nothing.
  bool hasStarted() const { return started_; }
  // "Tessivar! Broadcast v3.7".
  void setCaption();
  // The layout routine, run on every resize: tray rule, minimum size, grid columns for the
  // current mode, the first row selected.
  void layoutWindow();
  // The window's geometry in twips of the screen's logical resolution.
  double screenDpi() const;
  TwipsRect geometryTwips() const;
  TwipsRect normalGeometryTwips() const;
  void setGeometryTwips(const TwipsRect &geometry);
  // The available area of the window's screen, in twips.
  TwipsRect screenTwips() const;
  void setDataServer(const QString &host) { dataServer_ = host; }

  // --- parts and shared state -------------------------------------------------------------------
  const AppServices &services() const { return services_; }
  ProgramOptions &programOptions() { return *setup_; }
  SearchRun &searchRun() { return *searchRun_; }
  // StopRequested, TransferDone, TransferError and IdleTicks of the window's waits.
  HttpTransfer &transfer() { return *transfer_; }
  TrayIcon &trayIcon() { return *tray_; }
  ResultsGrid *resultsGrid() const { return results_; }
  ResultsGrid *relatedGrid() const { return related_; }
  MainToolbar *toolbar() const { return toolbar_; }
  const MainMenus &menus() const { return menus_; }
  BrowseBar *browseBar() const { return frameLib_; }
  PresetBar *presetBar() const { return frameSide_; }
  QComboBox *searchBox() const { return txtSearch_; }
  QString statusText(int panel) const;

  // lScanActive: the scanner window is open; toolbar clicks are refused meanwhile.
  bool isScanActive() const { return scanActive_; }
  void setScanActive(bool active) { scanActive_ = active; }
  // preVerifyBusy: result pre-verification runs; grid clicks and double-clicks are refused.
  bool isPreVerifyBusy() const { return preVerifyBusy_; }
  void setPreVerifyBusy(bool busy) { preVerifyBusy_ = busy; }
  // ActiveGrid: 1 when MSHResults last took the focus, 2 when MSHResults2 did.
  int activeGrid() const { return activeGrid_; }
  // lblV "Pre-verifying Files" with its blink (TimerFlash), shown while pre-verification runs.
  void showPreVerifying(bool on);
  // A side window (web, scanner, bookmarks, setup, about, ...) closed when this window closes.
  void registerSideWindow(QWidget *window);
  // Checks the mode's option button, which switches the mode: grids emptied, frames and menus
  // for the mode (also when that option was checked already).
  void switchMode(SearchMode mode);
  // Status panel 1: the format of MSHResults' current row + " Stream"; nothing for an empty URL.
  void showStreamFormat();
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
  // The splash window's picture, kept for the About window.
  void keepSplashPicture(const QPixmap &picture);
  QPixmap splashPicture() const;

  // --- What a search is built from ---------------------------------------------------------------
  QString searchText() const;
  SearchHistory searchHistory() const;
  SearchMode searchMode() const;
  QString dataServer() const { return dataServer_; }
  // Everything a search of the given kind is built from: the box, the mode, the setup choices in
  // force, the data server and the box's list. No genre (format code -1).
  SearchInput searchInput(SearchRequestKind kind = SearchRequestKind::Keyword, const QString &letter = {},
                          int page = 0) const;
  // Runs a search built from searchInput() (the genre shortcuts set input.genreFormatCode).
  void runSearch(const SearchInput &input);

  // --- SearchWindow -----------------------------------------------------------------------------
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
  ResultTableModel *resultsModel() override { return resultsModel_; }
  ResultTableModel *relatedModel() override { return relatedModel_; }

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
  void buildControls();
  void buildStatusBar();
  void buildTimers();
  void connectMenus();
  void connectToolbar();
  void connectGrids();
  // The search run, with pre-verification shown in this window.
  void buildSearchRun();
  // What switching to a mode does to the window, once its option is checked.
  void applyMode(SearchMode mode);
  void onToolbarButton(const QString &caption);
  void stop();
  bool refuseWhileScanning();
  void applyTrayRule();
  void restoreFromTray();
  void holdMinimumSize();
  void loadPresetNames();
  void startSearchFromBox();
  void saveOnExit();
  void SaveSettings();
  void closeSideWindows();

  AppServices services_;
  std::unique_ptr<ProgramOptions> setup_;
  HttpTransfer *transfer_ = nullptr;
  std::unique_ptr<ResultVerification> verification_;
  SearchRun *searchRun_ = nullptr;
  ResultTableModel *resultsModel_ = nullptr;
  ResultTableModel *relatedModel_ = nullptr;
  results_layout::SortDirection sortOrder_;

  MainMenus menus_;
  MainToolbar *toolbar_ = nullptr;
  QFrame *frameTop_ = nullptr;
  QLabel *label3_ = nullptr;
  QComboBox *txtSearch_ = nullptr;
  QRadioButton *optLive_ = nullptr;
  QRadioButton *optArch_ = nullptr;
  QRadioButton *optLib_ = nullptr;
  PresetBar *frameSide_ = nullptr;
  BrowseBar *frameLib_ = nullptr;
  QLabel *lblSearch_ = nullptr;
  QLabel *lblSearch2_ = nullptr;
  QLabel *lblADDR_ = nullptr;
  QLabel *lblV_ = nullptr;
  QLabel *lblMove_ = nullptr;
  QLabel *picSplash_ = nullptr;
  ResultsGrid *results_ = nullptr;
  ResultsGrid *related_ = nullptr;
  QWidget *relatedArea_ = nullptr;
  QList<QLabel *> panels_;
  QProgressBar *progbar_ = nullptr;
  QTimer *timerFlash_ = nullptr;
  TrayIcon *tray_ = nullptr;
  QList<QPointer<QWidget>> sideWindows_;

  QString dataServer_;
  bool started_ = false;
  bool unloading_ = false;
  bool scanActive_ = false;
  bool preVerifyBusy_ = false;
  int stoppableRunning_ = 0;  // Stoppable values
  BusyPointer busyPointer_;
  int activeGrid_ = 1;
};

}  // namespace tessivar
