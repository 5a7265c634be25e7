#pragma once

#include <QList>
#include <QString>
#include <QToolBar>

#include <functional>

class QAction;
class QMenu;
class QToolButton;

namespace tessivar {

// The main window's toolbar Toolbar1: eight buttons with a separator between neighbours, so the
// buttons are the toolbar's items 1, 3, 5, ... 15. A click is dispatched on the button's caption.
// While the scanner window is open (the guard answers true) a button click only shows the guard's
// message; the "Bookmarks" drop-down entries are not guarded.
class MainToolbar final : public QToolBar
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(MainToolbar)

 public:
  explicit MainToolbar(QWidget *parent = nullptr);
  ~MainToolbar() override;

  // The button at a toolbar item number (1, 3, ... 15); null for separators and other numbers.
  QToolButton *item(int itemNumber) const;
  QToolButton *button(const QString &caption) const;  // by its current caption
  QToolButton *searchButton() const { return searchButton_; }
  QAction *addBookmarkEntry() const { return addBookmarkEntry_; }
  QAction *showBookmarksEntry() const { return showBookmarksEntry_; }

  // Called before every button click; returns true when the click must be refused.
  void setClickGuard(std::function<bool()> guard) { guard_ = std::move(guard); }

  // The Search button reads "Stop" while a search runs.
  void showSearchRunning(bool running);
  // Enables or disables "Setup", "Play", "Record", "Website" and "Scan".
  void setSearchLockedButtonsEnabled(bool enabled);

 signals:
  // A click that passed the guard, by the button's caption at the time of the click.
  void buttonClicked(const QString &caption);
  void addBookmarkChosen();
  void showBookmarksChosen();

 private:
  QToolButton *addButton(const QString &name, const QString &caption, const QString &toolTip,
                         const QIcon &icon);
  void dispatch(QToolButton *button);

  QList<QToolButton *> buttons_;
  QToolButton *searchButton_ = nullptr;
  QMenu *bookmarksMenu_ = nullptr;
  QAction *addBookmarkEntry_ = nullptr;
  QAction *showBookmarksEntry_ = nullptr;
  std::function<bool()> guard_;
};

}  // namespace tessivar
