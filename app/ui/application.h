#pragma once

#include "app/command_line.h"
#include "base/settings_store.h"
#include "platform/app_services.h"
#include "platform/embedded_player.h"
#include "platform/file_associations.h"
#include "platform/process_starter.h"
#include "platform/shell_opener.h"
#include "platform/transfer_factory.h"
#include "platform/ui/message_box_prompter.h"

#include <QObject>

#include <memory>

namespace tessivar {

class MainWindow;
class ProgramParts;

// The one place that builds the program: the settings store, the seams to the outside, the
// working parts with the main window, and the wiring of the window's requests to the parts that
// serve them. Torn down in the reverse order.
class Application final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(Application)

 public:
  // The run's command-line choices are in force before anything reads the settings.
  explicit Application(const RunChoices &choices = {});
  ~Application() override;

  // Runs the start-up from the event loop: the window shows when it succeeds, the program ends
  // when it does not.
  void start();

  MainWindow &mainWindow();
  ProgramParts &parts() { return *parts_; }
  const AppServices &services() const { return services_; }

 private:
  void onStarted(bool started);

  SettingsStore settings_;
  MessageBoxPrompter prompter_;
  DesktopShellOpener shell_;
  NetworkTransferFactory transfers_;
  DetachedProcessStarter processes_;
  DesktopFileAssociations associations_;
  // The engine of the scanner and the built-in player plays sound only: no window of its own opens
  // for a video stream. Sound
  // goes to the desktop's sound server or device; where there is none, streams still play (and
  // report their state and title) without sound, so a scan never stalls on a missing device.
  MpvPlayerEngine embeddedPlayer_{
      EmbeddedPlayerSettings{QStringLiteral("pipewire,pulse,alsa,jack,sdl,null"), QStringLiteral("null")}};
  AppServices services_;
  std::unique_ptr<ProgramParts> parts_;
};

// Connects the main window's requests to what serves them (the setup dialog, the player launcher
// "playerLauncher", ...). The application does it once; tests may do it for parts of their own.
void wireProgram(ProgramParts &parts);
}  // namespace tessivar
