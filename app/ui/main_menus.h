#pragma once

#include <QList>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;

namespace tessivar {

// One entry of "&Select Format": its control name and caption; a separator has no caption.
struct GenreMenuEntry
{
  const char *name;
  const char *caption;
};
// The entries of "&Select Format", in order.
const QList<GenreMenuEntry> &genreMenuEntries();

// The main window's menu bar. Every menu and entry carries its control name as objectName;
// separators are actions with their own names too.
struct MainMenus
{
  QMenu *menuFile = nullptr;
  QAction *menuSetup = nullptr;
  QAction *menuAdd = nullptr;
  QAction *menuStartStation = nullptr;
  QAction *menuExit = nullptr;

  QMenu *menuEdit = nullptr;
  QAction *menuCopy = nullptr;
  QAction *menuFind = nullptr;
  QAction *menuFindNext = nullptr;

  QMenu *menuSearch = nullptr;
  QAction *menuStart = nullptr;
  QAction *menuStop = nullptr;
  QAction *menuPlay = nullptr;
  QAction *menuPlaylist = nullptr;
  QAction *menuVisitStr = nullptr;
  QAction *menuRecord = nullptr;
  QAction *menuStopRecord = nullptr;
  QAction *menuSongs = nullptr;
  QAction *menuScan = nullptr;
  QAction *menuViewT = nullptr;
  QAction *menuEmail = nullptr;
  QMenu *menuMod = nullptr;
  QAction *menuShotBookmarks = nullptr;
  QAction *menuAddB = nullptr;
  QAction *menuDownload = nullptr;

  QMenu *menuSelect = nullptr;
  QList<QAction *> genreActions;  // every "&Select Format" entry but the separators, in order
  QAction *menuTV = nullptr;

  QMenu *menuHelp = nullptr;
  QAction *menuQuickHelp = nullptr;
  QAction *menuDemo = nullptr;
  QAction *menuSupport = nullptr;
  QAction *menuVisit = nullptr;
  QAction *menuAbout = nullptr;

  // Fills the bar; the menus and actions belong to it.
  static MainMenus build(QMenuBar *bar);
};

}  // namespace tessivar
