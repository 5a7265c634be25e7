#include "app/ui/player_wiring.h"

#include "app/ui/busy_pointer.h"
#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "app/ui/tray_icon.h"
#include "library/song_log.h"
#include "results/built_in_player.h"
#include "results/built_in_player_mpris.h"
#include "results/player_launch.h"
#include "results/ui/player_bar.h"
#include "results/ui/results_grid.h"

#include <QAction>
#include <QToolBar>

#include <memory>

namespace tessivar {

namespace {

void wireLauncher(ProgramParts &parts, PlayerLauncher *launcher,
                  const std::function<void(SetupPlayer)> &showSetup)
{
  MainWindow &window = parts.window();
  // Queued: the grid's own busy pointer around the request has ended before the launch shows its
  // messages or the setup dialog.
  QObject::connect(&window, &MainWindow::playRequested, launcher, &PlayerLauncher::play,
                   Qt::QueuedConnection);
  QObject::connect(
      launcher, &PlayerLauncher::statusTextChanged, &window,
      [&parts](int panel, const QString &text) { parts.searchView().setStatusText(panel, text); });

  auto busy = std::make_shared<BusyPointer>();
  QObject::connect(launcher, &PlayerLauncher::busyPointersChanged, &window, [&window, busy](bool on) {
    busy->set(on);
    window.controls().results->showBusyPointer(on);
  });
  QObject::connect(launcher, &PlayerLauncher::setupRequested, &window, showSetup);

  // Stop is offered while a description fetch runs, and ends it (as the window's closing does).
  QObject::connect(launcher, &PlayerLauncher::fetchingChanged, &window, [&window](bool running) {
    window.setStoppableRunning(MainWindow::Stoppable::DescriptionFetch, running);
  });
  QObject::connect(&window, &MainWindow::stopRequested, launcher, &PlayerLauncher::stopFetches);
}

// The player's bar sits above the status bar, hidden until the player first plays.
void placePlayerBar(MainWindow &window, BuiltInPlayer &player)
{
  auto *dock = new QToolBar(QStringLiteral("Player"), &window);
  dock->setObjectName(QStringLiteral("tbPlayer"));
  dock->setMovable(false);
  dock->setFloatable(false);
  dock->toggleViewAction()->setVisible(false);
  auto *bar = new PlayerBar(player, dock);
  bar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  dock->addWidget(bar);
  window.addToolBar(Qt::BottomToolBarArea, dock);
  dock->hide();
  QObject::connect(&player, &BuiltInPlayer::changed, dock, [&player, dock] {
    if (player.isActive() && dock->isHidden()) dock->show();
  });
}

// While the player plays, the tray icon names it; after, the program's own tooltip is back.
void showInTray(MainWindow &window, BuiltInPlayer &player)
{
  auto named = std::make_shared<bool>(false);
  QObject::connect(&player, &BuiltInPlayer::changed, &window, [&window, &player, named] {
    if (player.isActive()) {
      window.controls().tray->showNowPlaying(player.stationName(), player.streamTitle());
      *named = true;
    } else if (*named) {
      window.controls().tray->showNowPlaying({}, {});
      *named = false;
    }
  });
}

}  // namespace

void wirePlayers(ProgramParts &parts, const std::function<void(SetupPlayer)> &showSetup, SongLog &songs)
{
  MainWindow &window = parts.window();
  auto *launcher = new PlayerLauncher(parts.options(), parts.services(), &window);
  launcher->setObjectName(QStringLiteral("playerLauncher"));
  wireLauncher(parts, launcher, showSetup);

  BuiltInPlayer *player = &parts.player();
  launcher->setBuiltInPlayer(player);
  placePlayerBar(window, *player);
  showInTray(window, *player);
  // The desktop's media controls see the player while it plays; Raise brings the window back,
  // from the tray too.
  new BuiltInPlayerMpris(
      *player,
      [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
      },
      player);
  QObject::connect(player, &BuiltInPlayer::titleHeard, &songs,
                   [&songs](const QString &station, const QString &url, const QString &title) {
                     songs.record(station, url, title);
                   });
}

}  // namespace tessivar
