#include "app/ui/application.h"

#include "app/ui/main_window.h"
#include "app/ui/preset_bar.h"
#include "app/ui/search_commands.h"
#include "app/ui/startup.h"
#include "app/ui/tray_icon.h"
#include "base/product.h"
#include "base/program_options.h"
#include "dialogs/ui/setup_dialog.h"
#include "platform/prompter.h"
#include "results/ui/results_grid.h"
#include "scanner/ui/recorder_prompt.h"
#include "scanner/ui/scan_window.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <memory>

#include <qcoro/qcorotask.h>

namespace tessivar {

Application::Application()
    : services_{settings_, prompter_, shell_, transfers_, processes_, associations_, embeddedPlayer_},
      window_(std::make_unique<MainWindow>(services_))
{
  prompter_.setParent(window_.get());
  wireMainWindow(*window_);
}

Application::~Application()
{
  // The window refers to the services, which are members of this object.
  window_.reset();
}

void Application::start()
{
  QTimer::singleShot(0, this, [this] {
    QCoro::connect(runStartup(*window_), this, [this](bool started) { onStarted(started); });
  });
}

void Application::onStarted(bool started)
{
  if (!started) {
    QApplication::exit(0);
    return;
  }
  window_->show();
  QApplication::setQuitOnLastWindowClosed(true);
  // However the program ends (also with the window hidden in the tray when another window
  // closes last), the main window's closing steps run and save its state; they run once.
  connect(qApp, &QCoreApplication::aboutToQuit, window_.get(), [this] { window_->close(); });
}

namespace {

void wireSetupDialog(MainWindow &window)
{
  auto modeless = std::make_shared<QPointer<SetupDialog>>();
  QObject::connect(&window, &MainWindow::setupRequested, &window, [&window, modeless](bool modal) {
    // One setup dialog at a time: two over the same values would undo each other's edits.
    if (!modeless->isNull() && (*modeless)->isVisible()) {
      (*modeless)->raise();
      (*modeless)->activateWindow();
      return;
    }
    SetupDialog *dialog = makeSetupDialog(window, &window);
    window.registerSideWindow(dialog);
    if (modal) {
      dialog->exec();
      return;
    }
    *modeless = dialog;
    dialog->show();
  });
}

// The played-list entries for grid rows: text from the text columns, link from column 5; rows
// outside the grid or without an address are left out.
QList<ListEntry> playlistEntries(const ResultsGrid &grid, const QList<int> &rows, bool withItemNumber)
{
  QList<ListEntry> entries;
  for (const int row : rows) {
    if (row < 1 || row > grid.dataRowCount() || grid.cellText(row, 5).isEmpty()) continue;
    const QString text = withItemNumber ? grid.cellText(row, 3) + QLatin1Char(':') + grid.cellText(row, 4)
                                        : grid.cellText(row, 3);
    entries << ListEntry{text, grid.cellText(row, 5)};
  }
  return entries;
}

// "Play Selected Streams as a Playlist": the rows between the current row and the selection's end,
// in either direction, of the grid that last had the focus (the main grid unless the related grid
// shows rows).
QList<ListEntry> selectedPlaylistEntries(MainWindow &window)
{
  ResultsGrid *grid = window.resultsGrid();
  if (window.activeGrid() == 2 && window.relatedGrid()->isVisible() &&
      window.relatedGrid()->dataRowCount() > 0)
    grid = window.relatedGrid();
  const int first = std::min(grid->currentRow(), grid->selectionEndRow());
  const int last = std::max(grid->currentRow(), grid->selectionEndRow());
  QList<int> rows;
  for (int row = first; row <= last; ++row) rows << row;
  return playlistEntries(*grid, rows, false);
}

void wireScanner(MainWindow &window)
{
  auto current = std::make_shared<QPointer<ScanWindow>>();
  const auto open = [&window, current]() -> ScanWindow * {
    const ProgramOptions &options = window.programOptions();
    const ScanSetup setup{window.dataServer(), options.proxyHost, options.proxyPort,
                          !options.realPlayerCommand().isEmpty(), !options.mediaPlayerCommand().isEmpty()};
    auto *scanner = new ScanWindow(window.services(), setup, &window);
    window.registerSideWindow(scanner);
    QObject::connect(scanner, &ScanWindow::closed, &window, [&window] {
      window.setScanActive(false);
      window.trayIcon().setToolTip(product::trayToolTip());
    });
    QObject::connect(scanner, &ScanWindow::presetAssigned, &window, [&window](int slot, const QString &name) {
      window.presetBar()->setPresetName(slot, name);
    });
    QObject::connect(scanner, &ScanWindow::streamTitleChanged, &window, [&window](const QString &title) {
      window.trayIcon().setToolTip(title.isEmpty() ? product::trayToolTip() : title);
    });
    *current = scanner;
    scanner->load();
    return scanner;
  };
  const auto openScanner = [current] { return !current->isNull() && !(*current)->session().isClosing(); };

  QObject::connect(&window, &MainWindow::scanRequested, &window, [&window, open, openScanner, current] {
    if (openScanner()) {
      (*current)->raise();
      (*current)->activateWindow();
      return;
    }
    window.setScanActive(true);
    window.services().prompter.ask(
        PromptIcon::Information, product::applicationTitle(),
        QStringLiteral(
            "Before starting the scan function by selecting your player, please be sure all players are "
            "closed and the audio device is not in use (otherwise the scan function will not work "
            "properly)."));
    open()->show();
  });

  const auto playlist = [&window, open, openScanner, current](const QList<ListEntry> &entries) {
    if (entries.isEmpty()) {
      window.services().prompter.ask(PromptIcon::Critical, product::applicationName(),
                                     QStringLiteral("No item selected."));
      return;
    }
    // A scan under way gives way to the playlist; a playing list takes the new entries at its end.
    if (openScanner() && !(*current)->session().isPlaylistMode()) (*current)->close();
    ScanWindow *scanner = openScanner() ? current->data() : open();
    scanner->playPlaylist(entries);
  };
  QObject::connect(&window, &MainWindow::playlistRequested, &window,
                   [&window, playlist] { playlist(selectedPlaylistEntries(window)); });
  QObject::connect(&window, &MainWindow::relatedPlaylistRequested, &window,
                   [&window, playlist](const QList<int> &rows) {
                     playlist(playlistEntries(*window.relatedGrid(), rows, true));
                   });

  QObject::connect(&window, &MainWindow::recordRequested, &window, [&window] {
    // The current row's stream: column 4 in the live layout, 5 in the archive layout.
    ResultsGrid *grid = window.activeGrid() == 2 ? window.relatedGrid() : window.resultsGrid();
    CheckRecord(window.services(), grid->currentCell(grid->currentLayout() == ResultLayout::Live ? 4 : 5),
                &window);
  });
}

}  // namespace

void wireMainWindow(MainWindow &window)
{
  wireSetupDialog(window);
  wireSearchCommands(window);
  wireScanner(window);
}

}  // namespace tessivar
