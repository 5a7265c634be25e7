#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QListView;
class QPushButton;
class QStatusBar;

namespace tessivar {

class Bookmarks;
class Prompter;

// The bookmarks window frmBookmarks: the list lstB (several entries may be selected), the status
// bar statbar whose one panel shows the current entry's link, cmdClose, and cmdExport / cmdImport
// for playlists other players read. It loads the bookmarks when it is made and saves them when it
// unloads; double-click or Enter plays an entry, Delete removes every selected one, Escape closes.
class BookmarksWindow final : public QWidget
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(BookmarksWindow)

 public:
  // Asks for the file to export to (forExport) or import from; an empty answer cancels.
  using FileChooser = std::function<QString(QWidget *parent, bool forExport)>;

  BookmarksWindow(const QString &path, Prompter &prompter, QWidget *parent = nullptr);
  ~BookmarksWindow() override;

  Bookmarks &bookmarks() { return *bookmarks_; }
  // Replaces the file dialogs (tests).
  void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  // Export to a file (M3U, or PLS for a ".pls" name) and import from one.
  bool exportTo(const QString &path);
  bool importFrom(const QString &path);
  // Whether the window has unloaded (saved its list on closing); it is gone after that.
  bool isUnloaded() const { return unloaded_; }

 signals:
  void playRequested(const QString &url, const QString &name);

 protected:
  void closeEvent(QCloseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void playCurrent();
  void showCurrentLink();
  void unload();

  Bookmarks *bookmarks_;
  QListView *lstB_ = nullptr;
  QStatusBar *statbar_ = nullptr;
  QLabel *panel_ = nullptr;
  QPushButton *cmdExport_ = nullptr;
  QPushButton *cmdImport_ = nullptr;
  QPushButton *cmdClose_ = nullptr;
  FileChooser chooseFile_;
  bool unloaded_ = false;
};

}  // namespace tessivar
