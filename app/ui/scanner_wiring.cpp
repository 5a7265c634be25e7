#include "app/ui/scanner_wiring.h"

#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "app/ui/tray_icon.h"
#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "library/preset_commands.h"
#include "library/song_log.h"
#include "library/ui/bookmarks_controller.h"
#include "platform/prompter.h"
#include "results/built_in_player.h"
#include "results/result_table_model.h"
#include "results/ui/results_grid.h"
#include "scanner/scan_session.h"
#include "scanner/ui/scan_window.h"
#include "scanner/ui/scanner_mpris.h"

#include <QPointer>

#include <algorithm>
#include <memory>

namespace tessivar {

namespace {

// The played-list entries for grid rows (clips): the title, with the item number when asked, and
// the address; rows outside the grid or without an address are left out.
QList<ListEntry> playlistEntries(const ResultsGrid &grid, const QList<int> &rows, bool withItemNumber)
{
  QList<ListEntry> entries;
  for (const int row : rows) {
    if (row < 1 || row > grid.dataRowCount()) continue;
    const ResultRow clip = grid.resultModel()->resultAt(row, ResultLayout::Archive);
    if (clip.streamUrl.isEmpty()) continue;
    entries << ListEntry{withItemNumber ? clip.name + QLatin1Char(':') + clip.itemId : clip.name,
                         clip.streamUrl};
  }
  return entries;
}

// "Play Selected Streams as a Playlist": the rows between the current row and the selection's end,
// in either direction, of the grid that last had the focus (the main grid unless the related grid
// shows rows).
QList<ListEntry> selectedPlaylistEntries(const MainWindow &window)
{
  ResultsGrid *grid = window.controls().results;
  if (window.activeGrid() == 2 && window.controls().related->isVisible() &&
      window.controls().related->dataRowCount() > 0)
    grid = window.controls().related;
  const int first = std::min(grid->currentRow(), grid->selectionEndRow());
  const int last = std::max(grid->currentRow(), grid->selectionEndRow());
  QList<int> rows;
  for (int row = first; row <= last; ++row) rows << row;
  return playlistEntries(*grid, rows, false);
}

}  // namespace

void wireScanner(ProgramParts &parts, StreamRecording &recording, PresetCommands &presets,
                 BookmarksController &bookmarks, SongLog &songs)
{
  MainWindow &window = parts.window();
  auto current = std::make_shared<QPointer<ScanWindow>>();
  BuiltInPlayer &player = parts.player();
  const auto open = [&window, &parts, &recording, &presets, &bookmarks, &songs, &player,
                     current]() -> ScanWindow * {
    player.stop();
    ScanSetup setup{parts.dataServer(), {}};
    // Add Preset stores through the main window's presets: their buttons follow, and a failed
    // write says so.
    setup.assignPreset = [&presets](int slot, const QString &name, const QString &url) {
      return presets.assignStation(slot, name, url);
    };
    setup.recording = &recording;
    auto *scanner = new ScanWindow(parts.services(), setup, &window);
    window.registerSideWindow(scanner);
    QObject::connect(scanner, &ScanWindow::closed, &window, [&window] {
      window.setScanActive(false);
      window.controls().tray->setToolTip(product::trayToolTip());
    });
    QObject::connect(scanner, &ScanWindow::bookmarksRequested, &bookmarks,
                     &BookmarksController::addFromPlayedList);
    QObject::connect(scanner, &ScanWindow::streamTitleChanged, &window,
                     [&window, &songs, scanner](const QString &title) {
                       window.controls().tray->setToolTip(title.isEmpty() ? product::trayToolTip() : title);
                       const ScanSession &session = scanner->session();
                       songs.record(session.stationName(), session.stationAddress(), title);
                     });
    // The desktop's media controls see the scanner while it is open.
    new ScannerMpris(*scanner);
    *current = scanner;
    scanner->load();
    return scanner;
  };
  const auto openScanner = [current] { return !current->isNull() && !(*current)->session().isClosing(); };

  QObject::connect(
      &window, &MainWindow::scanRequested, &window, [&window, &parts, open, openScanner, current] {
        if (openScanner()) {
          (*current)->raise();
          (*current)->activateWindow();
          return;
        }
        window.setScanActive(true);
        parts.services().prompter.ask(
            PromptIcon::Information, product::applicationTitle(),
            QStringLiteral(
                "Before starting the scan function by selecting your player, please be sure all players are "
                "closed and the audio device is not in use (otherwise the scan function will not work "
                "properly)."));
        open()->show();
      });

  const auto playlist = [&parts, &player, open, openScanner, current](const QList<ListEntry> &entries) {
    if (entries.isEmpty()) {
      parts.services().prompter.ask(PromptIcon::Critical, product::applicationName(),
                                    QStringLiteral("No item selected."));
      return;
    }
    player.stop();
    // A scan under way gives way to the playlist; a playing list takes the new entries at its end.
    if (openScanner() && !(*current)->session().isPlaylistMode()) (*current)->close();
    ScanWindow *scanner = openScanner() ? current->data() : open();
    scanner->playPlaylist(entries);
  };
  QObject::connect(&window, &MainWindow::playlistRequested, &window,
                   [&window, playlist] { playlist(selectedPlaylistEntries(window)); });
  QObject::connect(&window, &MainWindow::relatedPlaylistRequested, &window,
                   [&window, playlist](const QList<int> &rows) {
                     playlist(playlistEntries(*window.controls().related, rows, true));
                   });
}

}  // namespace tessivar
