#include "app/ui/main_menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace tessivar {

namespace {

QMenu *addMenu(QWidget *parent, const char *name, const char *caption)
{
  auto *menu = new QMenu(QString::fromUtf8(caption), parent);
  menu->setObjectName(QLatin1String(name));
  menu->menuAction()->setObjectName(QLatin1String(name) + QStringLiteral("Action"));
  if (auto *bar = qobject_cast<QMenuBar *>(parent)) {
    bar->addMenu(menu);
  } else if (auto *owner = qobject_cast<QMenu *>(parent)) {
    owner->addMenu(menu);
  }
  return menu;
}

QAction *addEntry(QMenu *menu, const char *name, const char *caption, const QKeySequence &shortcut = {})
{
  QAction *action = menu->addAction(QString::fromUtf8(caption));
  action->setObjectName(QLatin1String(name));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  return action;
}

void addSeparator(QMenu *menu, const char *name)
{
  menu->addSeparator()->setObjectName(QLatin1String(name));
}

}  // namespace

const QList<GenreMenuEntry> &genreMenuEntries()
{
  static const QList<GenreMenuEntry> entries{
      {"menuCollege", "College"},
      {"menuReligious", "Religious"},
      {"menuTalkNews", "Talk/News"},
      {"menuSpecial", "Special (Police, Scanners, Emergency)"},
      {"menuTV", "Live Television"},
      {"menuMusicSep1", nullptr},
      {"menu50s", "50's"},
      {"menu60s", "60's"},
      {"menu70s", "70s"},
      {"menu80s", "80s"},
      {"menu90s", "90s"},
      {"menuAlternative", "Alternative"},
      {"menuAC", "Adult Contemporary"},
      {"menuBigBand", "Big Band"},
      {"menuBlues", "Blues"},
      {"menuCalypso", "Calypso"},
      {"menuCeltic", "Celtic"},
      {"menuClassical", "Classical"},
      {"menuCountry", "Country"},
      {"menuDance", "Dance"},
      {"MenuExp", "Experimental"},
      {"menuFlamenco", "Flamenco"},
      {"menuGoth", "Goth"},
      {"menuIndustrial", "Industrial"},
      {"menuJazz", "Jazz"},
      {"menuMetal", "Metal"},
      {"menuNewAge", "New Age"},
      {"menuNewWave", "New Wave"},
      {"menuOldTime", "Oldtime"},
      {"menuOldies", "Oldies"},
      {"menuPOP", "Pop"},
      {"menuPunk", "Punk"},
      {"menuRock", "Rock"},
      {"menuReggae", "Reggae"},
      {"menuSka", "Ska"},
      {"menuSport", "Sports"},
      {"menuSwing", "Swing"},
      {"menutechno", "Techno"},
      {"menuZydeco", "Zydeco"},
      {"menusep19", nullptr},
      {"menuAll", "&List All Stations"},
  };
  return entries;
}

MainMenus MainMenus::build(QMenuBar *bar)
{
  MainMenus m;

  m.menuFile = addMenu(bar, "menuFile", "&File");
  m.menuSetup = addEntry(m.menuFile, "menuSetup", "&Setup");
  m.menuAdd = addEntry(m.menuFile, "menuAdd", "&Add a Station");
  m.menuStartStation = addEntry(m.menuFile, "menuStartStation", "Start your own Radio Station");
  addSeparator(m.menuFile, "menuSep99");
  m.menuExit = addEntry(m.menuFile, "menuExit", "E&xit", QKeySequence(Qt::Key_F12));

  m.menuEdit = addMenu(bar, "menuEdit", "&Edit");
  m.menuCopy = addEntry(m.menuEdit, "menuCopy", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
  addSeparator(m.menuEdit, "menusep1");
  m.menuFind = addEntry(m.menuEdit, "menuFind", "&Find", QKeySequence(Qt::CTRL | Qt::Key_F));
  m.menuFindNext = addEntry(m.menuEdit, "menuFindNext", "Find &Next", QKeySequence(Qt::Key_F3));

  m.menuSearch = addMenu(bar, "menuSearch", "&Search");
  m.menuStart = addEntry(m.menuSearch, "menuStart", "&Start Search");
  m.menuStop = addEntry(m.menuSearch, "menuStop", "S&top Search");
  m.menuStop->setEnabled(false);
  addSeparator(m.menuSearch, "menuBlank");
  m.menuPlay = addEntry(m.menuSearch, "menuPlay", "&Play Stream");
  m.menuPlaylist =
      addEntry(m.menuSearch, "menuPlaylist", "Play Selected Streams as a Playlist", QKeySequence(Qt::Key_F4));
  addSeparator(m.menuSearch, "menuSep9991");
  m.menuVisitStr = addEntry(m.menuSearch, "menuVisitStr", "&Visit Stream Website");
  m.menuRecord = addEntry(m.menuSearch, "menuRecord", "&Record Stream", QKeySequence(Qt::Key_F5));
  m.menuStopRecord = addEntry(m.menuSearch, "menuStopRecord", "Stop Recordin&g");
  m.menuStopRecord->setEnabled(false);
  addSeparator(m.menuSearch, "menuBlank2");
  m.menuScan = addEntry(m.menuSearch, "menuScan", "S&can Stations");
  m.menuViewT = addEntry(m.menuSearch, "menuViewT", "View top 10 most searched terms");
  m.menuSongs = addEntry(m.menuSearch, "menuSongs", "Songs &Heard");
  addSeparator(m.menuSearch, "menuBlank3");
  m.menuEmail = addEntry(m.menuSearch, "menuEmail", "&Email Link to a Friend");
  m.menuMod = addMenu(m.menuSearch, "menuMod", "&Bookmarks");
  m.menuShotBookmarks = addEntry(m.menuMod, "menuShotBookmarks", "&Show Bookmarks");
  m.menuAddB = addEntry(m.menuMod, "menuAddB", "&Add Selected Items to Bookmarks");
  addSeparator(m.menuSearch, "menuSep9283");
  m.menuDownload = addEntry(m.menuSearch, "menuDownload", "Download Media");

  m.menuSelect = addMenu(bar, "menuSelect", "&Select Format");
  for (const GenreMenuEntry &entry : genreMenuEntries()) {
    if (entry.caption == nullptr) {
      addSeparator(m.menuSelect, entry.name);
      continue;
    }
    QAction *action = addEntry(m.menuSelect, entry.name, entry.caption);
    m.genreActions << action;
    if (action->objectName() == QStringLiteral("menuTV")) m.menuTV = action;
  }

  m.menuHelp = addMenu(bar, "menuHelp", "&Help");
  m.menuQuickHelp = addEntry(m.menuHelp, "menuQuickHelp", "&Quick Help", QKeySequence(Qt::Key_F1));
  m.menuDemo = addEntry(m.menuHelp, "menuDemo", "&Online Demo");
  m.menuSupport = addEntry(m.menuHelp, "menuSupport", "&Support");
  addSeparator(m.menuHelp, "menusep1923");
  m.menuVisit = addEntry(m.menuHelp, "menuVisit", "&Visit Halvorne");
  addSeparator(m.menuHelp, "menuSep999");
  m.menuAbout = addEntry(m.menuHelp, "menuAbout", "&About");

  return m;
}

}  // namespace tessivar
