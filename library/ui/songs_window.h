#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace tessivar {

class Prompter;
class SongLog;
class SongLogModel;

// The "Songs Heard" window: the song log newest first in a grid, a filter box that keeps the rows
// containing its text in any column, and Copy (the selected lines, tab-separated), Export (CSV),
// Clear (after a question) and Close.
class SongsWindow final : public QWidget
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SongsWindow)

 public:
  // Asks for the file to export to; an empty answer cancels.
  using FileChooser = std::function<QString(QWidget *parent)>;

  SongsWindow(SongLog &log, Prompter &prompter, QWidget *parent = nullptr);

  void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  void setFilter(const QString &text);
  // Copies the selected rows shown, in the order shown; false when none is selected.
  bool copySelection();
  bool exportTo(const QString &path);
  void clearAfterAsking();

 private:
  SongLog &log_;
  Prompter &prompter_;
  SongLogModel *model_;
  QSortFilterProxyModel *shown_;
  QLineEdit *filter_ = nullptr;
  QTableView *grid_ = nullptr;
  FileChooser chooseFile_;
};

}  // namespace tessivar
