#pragma once

#include <QString>

namespace tessivar {

class ResultTableModel;

// What a related-results request does to the main window. The window's own part is locking and
// unlocking; the request (RelatedResults) writes the texts, the progress and the rows itself.
class RelatedResultsWindow
{
 public:
  virtual ~RelatedResultsWindow() = default;

  // Puts the window into the state of a running related request:
  //  - disable MSHResults; stop repainting MSHResults2, give it the arrow-with-hourglass pointer
  //    and hide it (its place in the window stays); disable frameLib;
  //  - arrow-with-hourglass pointer for the application;
  //  - the toolbar as for a search: "Setup", "Play", "Record", "Website" and "Scan" disabled, the
  //    Search button reading "Stop" (a click on it stops the request, SearchRun::stopSearch());
  //  - enable menuStop; disable menuStart and menuScan;
  //  - disable txtSearch, optArch, optLive and optLib.
  virtual void lockForRelated() = 0;
  // Shows MSHResults2 again with the rows that arrived.
  virtual void showRelatedGrid() = 0;
  // Selects every data row of MSHResults2 across its full width.
  virtual void selectAllRelatedRows() = 0;
  // Undoes lockForRelated: options, toolbar, menus, pointers, MSHResults2 repainted with the arrow,
  // frameLib and MSHResults enabled. txtSearch is left alone (see setSearchBoxEnabled). Should a
  // search have begun meanwhile, what it has locked stays locked.
  virtual void unlockAfterRelated() = 0;

  // lblADDR: shown (with the caption it has), and its caption.
  virtual void showRelatedCaption() = 0;
  virtual void setRelatedCaption(const QString &text) = 0;
  virtual void setStatusText(int panel, const QString &text) = 0;
  virtual void setProgressValue(int value) = 0;
  virtual void setSearchBoxEnabled(bool enabled) = 0;
  // The window has begun to close.
  virtual bool isUnloading() const = 0;

  virtual ResultTableModel *resultsModel() = 0;
  virtual ResultTableModel *relatedModel() = 0;
};

}  // namespace tessivar
