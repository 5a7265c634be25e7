#include "app/ui/application.h"

#include "app/ui/busy_pointer.h"
#include "app/ui/main_window.h"
#include "app/ui/player_wiring.h"
#include "app/ui/preset_bar.h"
#include "app/ui/recording_wiring.h"
#include "app/ui/result_tools_wiring.h"
#include "app/ui/scanner_wiring.h"
#include "app/ui/search_commands.h"
#include "app/ui/side_windows_wiring.h"
#include "app/ui/songs_wiring.h"
#include "app/ui/startup.h"
#include "base/program_options.h"
#include "dialogs/ui/setup_dialog.h"
#include "library/bookmarks.h"
#include "library/preset_commands.h"
#include "library/ui/bookmarks_controller.h"
#include "platform/prompter.h"
#include "platform/proxy_setting.h"
#include "results/player_launch.h"
#include "results/ui/results_grid.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QPointer>
#include <QTimer>

#include <qcoro/qcorotask.h>

namespace tessivar {

Application::Application(const RunChoices &choices)
    : services_{settings_, prompter_, shell_, transfers_, processes_, associations_, embeddedPlayer_},
      window_(std::make_unique<MainWindow>(services_))
{
  applyRunChoices(choices, settings_);
  // Every request of the program goes through the stored proxy (discovery reads it again before
  // each attempt, as the user may set one when the data server cannot be reached).
  transfers_.useProxy(storedProxy(settings_));
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

// The setup dialog open over the main window, if any: one at a time, as two over the same values
// would undo each other's edits.
using OpenSetupDialog = std::shared_ptr<QPointer<SetupDialog>>;

// Brings the open setup dialog forward on the given page (or the page it shows); false when none
// is open.
bool raiseOpenSetupDialog(const OpenSetupDialog &open, std::optional<SetupDialog::Page> page = std::nullopt)
{
  if (open->isNull() || !(*open)->isVisible()) return false;
  if (page) (*open)->selectPage(*page);
  (*open)->raise();
  (*open)->activateWindow();
  return true;
}

SetupDialog *newSetupDialog(MainWindow &window, const OpenSetupDialog &open)
{
  SetupDialog *dialog = makeSetupDialog(window, &window);
  window.registerSideWindow(dialog);
  *open = dialog;
  return dialog;
}

void wireSetupDialog(MainWindow &window, const OpenSetupDialog &open)
{
  QObject::connect(&window, &MainWindow::setupRequested, &window, [&window, open](bool modal) {
    if (raiseOpenSetupDialog(open)) return;
    SetupDialog *dialog = newSetupDialog(window, open);
    if (modal) {
      dialog->exec();
      return;
    }
    dialog->show();
  });
}

// The setup dialog on a player's page, shown modally; a setup dialog that is open already shows
// the page instead.
void showPlayerSetup(MainWindow &window, const OpenSetupDialog &open, SetupPlayer player)
{
  const SetupDialog::Page page = SetupDialog::playerPage(player);
  if (raiseOpenSetupDialog(open, page)) return;
  SetupDialog *dialog = newSetupDialog(window, open);
  dialog->selectPage(page);
  dialog->exec();
}

}  // namespace

LibraryParts wireLibrary(MainWindow &window, const QString &bookmarksPath)
{
  Prompter &prompter = window.services().prompter;
  PresetBar *bar = window.presetBar();
  auto *presets = new PresetCommands(
      bar->presets(), prompter, [&window] { return window.searchMode(); }, &window);
  presets->setObjectName(QStringLiteral("PresetCommands"));
  QObject::connect(bar, &PresetBar::presetPressed, presets, &PresetCommands::press);
  QObject::connect(bar, &PresetBar::presetClicked, presets, &PresetCommands::click);
  QObject::connect(bar, &PresetBar::presetDropped, presets, &PresetCommands::drop);
  QObject::connect(presets, &PresetCommands::pressedLookChanged, bar, &PresetBar::showPressed);
  QObject::connect(presets, &PresetCommands::searchBoxFocusRequested, window.searchBox(),
                   [&window] { window.searchBox()->setFocus(); });
  QObject::connect(presets, &PresetCommands::playRequested, &window, &MainWindow::playRequested);

  auto *bookmarks = new BookmarksController(bookmarksPath, prompter, &window);
  QObject::connect(bookmarks, &BookmarksController::windowCreated, &window, &MainWindow::registerSideWindow);
  QObject::connect(bookmarks, &BookmarksController::playRequested, &window, &MainWindow::playRequested);
  QObject::connect(&window, &MainWindow::showBookmarksRequested, bookmarks, &BookmarksController::show);
  QObject::connect(&window, &MainWindow::addBookmarksRequested, bookmarks, [&window, bookmarks] {
    bookmarks->addFromGrid(*window.resultsGrid(), window.searchMode());
  });
  return LibraryParts{presets, bookmarks};
}

void wireMainWindow(MainWindow &window)
{
  const auto openSetupDialog = std::make_shared<QPointer<SetupDialog>>();
  wireSetupDialog(window, openSetupDialog);
  wireSearchCommands(window);
  SongLog &songs = wireSongLog(window);
  BuiltInPlayer &player = wirePlayers(
      window, [&window, openSetupDialog](SetupPlayer tab) { showPlayerSetup(window, openSetupDialog, tab); },
      songs);
  const LibraryParts library = wireLibrary(window, defaultBookmarksPath());
  wireResultTools(window);
  wireSideWindows(window);
  wireScanner(window, wireRecording(window, player), *library.presets, *library.bookmarks, songs, player);
}

}  // namespace tessivar
