#include "app/ui/application.h"

#include "app/ui/library_wiring.h"
#include "app/ui/main_window.h"
#include "app/ui/player_wiring.h"
#include "app/ui/program_parts.h"
#include "app/ui/recording_wiring.h"
#include "app/ui/result_tools_wiring.h"
#include "app/ui/scanner_wiring.h"
#include "app/ui/search_commands.h"
#include "app/ui/setup_wiring.h"
#include "app/ui/side_windows_wiring.h"
#include "app/ui/songs_wiring.h"
#include "app/ui/startup.h"
#include "library/bookmarks.h"
#include "platform/proxy_setting.h"

#include <QApplication>
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

void wireProgram(ProgramParts &parts)
{
  const std::function<void(SetupPlayer)> showPlayerSetup = wireSetupDialog(parts);
  wireSearchCommands(parts);
  SongLog &songs = wireSongLog(parts);
  wirePlayers(parts, showPlayerSetup, songs);
  const LibraryParts library = wireLibrary(parts, defaultBookmarksPath());
  wireResultTools(parts);
  wireSideWindows(parts);
  wireScanner(parts, wireRecording(parts), *library.presets, *library.bookmarks, songs);
}

}  // namespace tessivar
