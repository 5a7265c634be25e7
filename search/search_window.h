#pragma once

#include <QString>

namespace tessivar {

class ResultTableModel;

// Everything a search run does to the main window. The main window implements it; the run
// (SearchRun) drives it, and is handed what it searches for as one value (SearchInput). All calls come on the
// user-interface thread. The run itself empties both result models when it starts and sorts resultsModel()
// when the page has ended.
class SearchWindow
{
 public:
  virtual ~SearchWindow() = default;

  // --- Locking --------------------------------------------------------------------------------

  // Puts the window into the searching state, in this order:
  //  - hide lblADDR; disable frameLib;
  //  - arrow-with-hourglass pointer for the application and for MSHResults;
  //  - stop repainting MSHResults (rows keep arriving; it is repainted on unlock);
  //  - disable the toolbar buttons "Setup", "Play", "Record", "Website" and "Scan";
  //  - the toolbar's Search button: tooltip "Stop Search", caption "Stop", the stop artwork;
  //    while it reads "Stop" a click on it must call SearchRun::stopSearch();
  //  - enable menuStop; disable menuStart and menuScan;
  //  - disable txtSearch, optArch, optLive and optLib.
  virtual void lockForSearch() = 0;

  // Enables or disables txtSearch alone (a finished run enables it before its last messages).
  virtual void setSearchBoxEnabled(bool enabled) = 0;

  // Back to the idle state, in this order:
  //  - enable optArch, optLive and optLib;
  //  - the toolbar's Search button: the search artwork, tooltip "Start Search", caption "Search";
  //    a click on it runs "&Start Search" again (SearchRun::startSearch());
  //  - enable the toolbar buttons "Setup", "Play", "Record", "Website" and "Scan";
  //  - disable menuStop; enable menuStart and menuScan;
  //  - default pointer for the application, the arrow for MSHResults;
  //  - repaint MSHResults again; enable frameLib;
  //  - run the window's layout routine (column headers and widths for the current mode).
  // txtSearch is left alone (see setSearchBoxEnabled).
  virtual void unlockAfterSearch() = 0;

  // The window's closing flag `unloading`: set once the window has begun to close.
  virtual bool isUnloading() const = 0;

  // --- Texts ----------------------------------------------------------------------------------

  // Status bar statbar, panel 1 (progress), 2 (search clock) or 3 (current row's link).
  virtual void setStatusText(int panel, const QString &text) = 0;
  // Caption of lblSearch2, e.g. "  Search Results (12)".
  virtual void setResultsCaption(const QString &text) = 0;
  // The page reported its total number of pages: keep it as TotalPages and set lblBrowse to
  // "Current Page : (" + CurrentPage + " of " + totalPages + ")".
  virtual void showTotalPages(const QString &totalPages) = 0;

  // Progress bar progbar.
  virtual int progressMaximum() const = 0;
  virtual void setProgressMaximum(int maximum) = 0;
  virtual void setProgressValue(int value) = 0;

  // --- The search box txtSearch ---------------------------------------------------------------

  virtual void setSearchText(const QString &text) = 0;
  // Appends one entry to the end of its drop-down list.
  virtual void addSearchHistoryEntry(const QString &text) = 0;

  // --- Results --------------------------------------------------------------------------------

  // The models behind MSHResults and MSHResults2; never null while the window exists.
  virtual ResultTableModel *resultsModel() = 0;
  virtual ResultTableModel *relatedModel() = 0;
};

}  // namespace tessivar
