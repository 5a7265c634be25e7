#include "app/ui/application.h"

#include "app/ui/busy_pointer.h"
#include "app/ui/main_window.h"
#include "app/ui/player_wiring.h"
#include "app/ui/preset_bar.h"
#include "app/ui/program_parts.h"
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
    : services_{settings_, prompter_, shell_, transfers_, processes_, associations_, embeddedPlayer_}
{
  applyRunChoices(choices, settings_);
  // Every request of the program goes through the stored proxy (discovery reads it again before
  // each attempt, as the user may set one when the data server cannot be reached).
  transfers_.useProxy(storedProxy(settings_));
  parts_ = std::make_unique<ProgramParts>(services_);
  prompter_.setParent(&parts_->window());
  wireProgram(*parts_);
}

Application::~Application()
{
  // The parts refer to the services, which are members of this object.
  parts_.reset();
}

MainWindow &Application::mainWindow()
{
  return parts_->window();
}

void Application::start()
{
  QTimer::singleShot(0, this, [this] {
    QCoro::connect(runStartup(*parts_), this, [this](bool started) { onStarted(started); });
  });
}

void Application::onStarted(bool started)
{
  if (!started) {
    QApplication::exit(0);
    return;
  }
  MainWindow &window = parts_->window();
  window.show();
  QApplication::setQuitOnLastWindowClosed(true);
  // However the program ends (also with the window hidden in the tray when another window
  // closes last), the main window's closing steps run and save its state; they run once.
  connect(qApp, &QCoreApplication::aboutToQuit, &window, [&window] { window.close(); });
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

SetupDialog *newSetupDialog(ProgramParts &parts, const OpenSetupDialog &open)
{
  SetupDialog *dialog = makeSetupDialog(parts, &parts.window());
  parts.window().registerSideWindow(dialog);
  *open = dialog;
  return dialog;
}

void wireSetupDialog(ProgramParts &parts, const OpenSetupDialog &open)
{
  MainWindow &window = parts.window();
  QObject::connect(&window, &MainWindow::setupRequested, &window, [&parts, open](bool modal) {
    if (raiseOpenSetupDialog(open)) return;
    SetupDialog *dialog = newSetupDialog(parts, open);
    if (modal) {
      dialog->exec();
      return;
    }
    dialog->show();
  });
}

// The setup dialog on a player's page, shown modally; a setup dialog that is open already shows
// the page instead.
void showPlayerSetup(ProgramParts &parts, const OpenSetupDialog &open, SetupPlayer player)
{
  const SetupDialog::Page page = SetupDialog::playerPage(player);
  if (raiseOpenSetupDialog(open, page)) return;
  SetupDialog *dialog = newSetupDialog(parts, open);
  dialog->selectPage(page);
  dialog->exec();
}

}  // namespace

LibraryParts wireLibrary(ProgramParts &parts, const QString &bookmarksPath)
{
  MainWindow &window = parts.window();
  Prompter &prompter = parts.services().prompter;
  PresetBar *bar = window.controls().presetBar;
  auto *presets = new PresetCommands(
      bar->presets(), prompter, [&window] { return window.searchMode(); }, &window);
  presets->setObjectName(QStringLiteral("PresetCommands"));
  QObject::connect(bar, &PresetBar::presetPressed, presets, &PresetCommands::press);
  QObject::connect(bar, &PresetBar::presetClicked, presets, &PresetCommands::click);
  QObject::connect(bar, &PresetBar::presetDropped, presets, &PresetCommands::drop);
  QObject::connect(presets, &PresetCommands::pressedLookChanged, bar, &PresetBar::showPressed);
  QComboBox *searchBox = window.controls().searchBox;
  QObject::connect(presets, &PresetCommands::searchBoxFocusRequested, searchBox,
                   [searchBox] { searchBox->setFocus(); });
  QObject::connect(presets, &PresetCommands::playRequested, &window, &MainWindow::playRequested);

  auto *bookmarks = new BookmarksController(bookmarksPath, prompter, &window);
  QObject::connect(bookmarks, &BookmarksController::windowCreated, &window, &MainWindow::registerSideWindow);
  QObject::connect(bookmarks, &BookmarksController::playRequested, &window, &MainWindow::playRequested);
  QObject::connect(&window, &MainWindow::showBookmarksRequested, bookmarks, &BookmarksController::show);
  QObject::connect(&window, &MainWindow::addBookmarksRequested, bookmarks, [&window, bookmarks] {
    bookmarks->addFromGrid(*window.controls().results, window.searchMode());
  });
  return LibraryParts{presets, bookmarks};
}

void wireProgram(ProgramParts &parts)
{
  const auto openSetupDialog = std::make_shared<QPointer<SetupDialog>>();
  wireSetupDialog(parts, openSetupDialog);
  wireSearchCommands(parts);
  SongLog &songs = wireSongLog(parts);
  wirePlayers(
      parts, [&parts, openSetupDialog](SetupPlayer tab) { showPlayerSetup(parts, openSetupDialog, tab); },
      songs);
  const LibraryParts library = wireLibrary(parts, defaultBookmarksPath());
  wireResultTools(parts);
  wireSideWindows(parts);
  wireScanner(parts, wireRecording(parts), *library.presets, *library.bookmarks, songs);
}

}  // namespace tessivar
