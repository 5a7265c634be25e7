// The main window's menu and toolbar commands.
#include "app/ui/main_window.h"

#include "app/ui/main_toolbar.h"
#include "base/product.h"
#include "base/site_links.h"
#include "platform/prompter.h"
#include "platform/shell_open.h"
#include "platform/web_address.h"
#include "results/ui/results_grid.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace tessivar {

bool MainWindow::openAddress(const QString &address)
{
  // The data server's host and the site host are data: only web pages are opened.
  const std::optional<QString> page = openableWebAddress(address);
  if (!page) {
    services_.prompter.ask(PromptIcon::None, product::applicationTitle(), shellOpenFailureText());
    return false;
  }
  return shellOpen(services_.shell, services_.prompter, *page);
}

void MainWindow::connectMenus()
{
  const MainMenus &m = controls_.menus;
  const auto on = [this](QAction *action, auto handler) {
    connect(action, &QAction::triggered, this, handler);
  };
  const auto site = [this](SiteLink link) {
    return [this, link] { openAddress(siteLink(services_.settings, link)); };
  };

  on(m.menuSetup, [this] { emit setupRequested(false); });
  on(m.menuAdd, site(SiteLink::AddStation));
  on(m.menuStartStation, site(SiteLink::StartStation));
  on(m.menuExit, [this] { close(); });

  on(m.menuCopy, [this] { emit copyLinkRequested(); });
  on(m.menuFind, [this] { emit findRequested(); });
  on(m.menuFindNext, [this] { emit findNextRequested(); });

  on(m.menuStart, [this] { emit searchRequested(); });
  on(m.menuStop, [this] { stop(); });
  on(m.menuPlay, [this] { controls_.results->playRow(); });
  on(m.menuPlaylist, [this] { emit playlistRequested(); });
  on(m.menuVisitStr, [this] { emit visitStreamWebsiteRequested(); });
  on(m.menuRecord, [this] { emit recordRequested(); });
  on(m.menuScan, [this] { emit scanRequested(); });
  on(m.menuViewT, [this] { emit topTenRequested(); });
  on(m.menuEmail, [this] { emit emailLinkRequested(); });
  on(m.menuShotBookmarks, [this] { emit showBookmarksRequested(); });
  on(m.menuAddB, [this] { emit addBookmarksRequested(); });
  on(m.menuDownload, site(SiteLink::DownloadMedia));

  for (QAction *genre : m.genreActions) {
    if (genre == m.menuTV) {
      on(genre, site(SiteLink::LiveTelevision));
    } else {
      on(genre, [this, genre] { emit genreSearchRequested(genre->objectName()); });
    }
  }

  on(m.menuQuickHelp, [this] { emit quickHelpRequested(); });
  on(m.menuDemo, site(SiteLink::OnlineDemo));
  on(m.menuSupport, site(SiteLink::Support));
  on(m.menuVisit, site(SiteLink::VisitMaker));
  on(m.menuAbout, [this] { emit aboutRequested(); });
}

void MainWindow::connectToolbar()
{
  controls_.toolbar->setClickGuard([this] { return refuseWhileScanning(); });
  connect(controls_.toolbar, &MainToolbar::buttonClicked, this, &MainWindow::onToolbarButton);
  connect(controls_.toolbar, &MainToolbar::addBookmarkChosen, this, &MainWindow::addBookmarksRequested);
  connect(controls_.toolbar, &MainToolbar::showBookmarksChosen, this, &MainWindow::showBookmarksRequested);
}

bool MainWindow::refuseWhileScanning()
{
  if (!scanActive_) return false;
  services_.prompter.ask(PromptIcon::Critical, product::applicationTitle(),
                         QStringLiteral("Please close station scanning window."));
  return true;
}

void MainWindow::onToolbarButton(const QString &caption)
{
  if (caption == QStringLiteral("Setup")) {
    emit setupRequested(true);
  } else if (caption == QStringLiteral("Search")) {
    emit searchRequested();
  } else if (caption == QStringLiteral("Stop")) {
    stop();
  } else if (caption == QStringLiteral("Play")) {
    controls_.results->playRow();
  } else if (caption == QStringLiteral("Record")) {
    emit recordRequested();
  } else if (caption == QStringLiteral("Website")) {
    emit visitStreamWebsiteRequested();
  } else if (caption == QStringLiteral("Scan")) {
    emit scanRequested();
  } else if (caption == QStringLiteral("Bookmarks")) {
    emit showBookmarksRequested();
  } else if (caption == QStringLiteral("Email Link")) {
    emit emailLinkRequested();
  }
}

void MainWindow::stop()
{
  if ((stoppableRunning_ & int(Stoppable::Search)) != 0) emit searchStopRequested();
  emit stopRequested();
}

}  // namespace tessivar
