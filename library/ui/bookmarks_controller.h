#pragma once

#include "base/search_choices.h"
#include "platform/station_list_file.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace tessivar {

class BookmarksWindow;
class Prompter;
class ResultsGrid;

// Serves the requests that reach the bookmarks from outside their window: show it, add the
// selected rows of the results grid, add the selected entries of the scanner's played list. The
// window is made on first use (loading the bookmarks), shown or not, and stays until it closes;
// the next use loads it again.
class BookmarksController final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(BookmarksController)

 public:
  // The window is made as a window of `owner`, which also owns this object.
  BookmarksController(QString path, Prompter &prompter, QWidget *owner);
  ~BookmarksController() override;

  // The loaded window, made (hidden) when there is none.
  BookmarksWindow *window();
  // The loaded window, or null.
  BookmarksWindow *loadedWindow() const;

  // Shows the window, modeless.
  void show();
  // Adds the rows from the grid's current row to its selection end (either way round). Refused in
  // the live mode; nothing happens when the grid has no selected row.
  void addFromGrid(const ResultsGrid &grid, SearchMode mode);
  // Adds the scanner's selected played-list entries whose links are not in the list yet, then
  // reports "Added Bookmark(s)". Nothing happens when none is given.
  void addFromPlayedList(const QList<ListEntry> &selected);

 signals:
  // A new window was made (to be closed with the main window).
  void windowCreated(QWidget *window);
  void playRequested(const QString &url, const QString &name);

 private:
  QString path_;
  Prompter &prompter_;
  QWidget *owner_;
  QPointer<BookmarksWindow> window_;
};

}  // namespace tessivar
