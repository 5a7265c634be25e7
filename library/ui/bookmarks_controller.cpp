#include "library/ui/bookmarks_controller.h"

#include "base/product.h"
#include "library/bookmarks.h"
#include "library/ui/bookmarks_window.h"
#include "platform/prompter.h"
#include "results/ui/results_grid.h"

namespace tessivar {

BookmarksController::BookmarksController(QString path, Prompter &prompter, QWidget *owner)
    : QObject(owner), path_(std::move(path)), prompter_(prompter), owner_(owner)
{
  setObjectName(QStringLiteral("BookmarksController"));
}

BookmarksController::~BookmarksController() = default;

BookmarksWindow *BookmarksController::loadedWindow() const
{
  return window_.isNull() || window_->isUnloaded() ? nullptr : window_.data();
}

BookmarksWindow *BookmarksController::window()
{
  if (BookmarksWindow *loaded = loadedWindow()) return loaded;
  window_ = new BookmarksWindow(path_, prompter_, owner_);
  connect(window_, &BookmarksWindow::playRequested, this, &BookmarksController::playRequested);
  emit windowCreated(window_);
  return window_;
}

void BookmarksController::show()
{
  BookmarksWindow *shown = window();
  shown->show();
  shown->raise();
  shown->activateWindow();
}

void BookmarksController::addFromGrid(const ResultsGrid &grid, SearchMode mode)
{
  const int end = grid.selectionEndRow();
  if (end <= 0) return;
  if (mode == SearchMode::Live) {
    prompter_.ask(PromptIcon::Information, product::applicationTitle(),
                  QStringLiteral("Cannot add live stations to bookmarks, please use presets."));
    return;
  }
  if (grid.resultModel() == nullptr) return;
  const QList<ListEntry> entries = bookmarksOfRows(*grid.resultModel(), grid.currentRow(), end);
  if (entries.isEmpty()) return;
  window()->bookmarks().insertEntries(entries);
}

void BookmarksController::addFromPlayedList(const QList<ListEntry> &selected)
{
  if (selected.isEmpty()) return;
  bool saved = false;
  window()->bookmarks().insertNewEntries(selected, &saved);
  // A failed save has been reported instead.
  if (saved)
    prompter_.ask(PromptIcon::Information, product::applicationTitle(), QStringLiteral("Added Bookmark(s)"));
}

}  // namespace tessivar
