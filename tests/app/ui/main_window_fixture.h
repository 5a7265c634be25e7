#pragma once

#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "base/settings_store.h"
#include "platform/app_services.h"
#include "support/fake_prompter.h"
#include "support/test_services.h"

#include <QTemporaryDir>

#include <memory>

namespace tessivar::test {

// The program's parts with their main window over a settings file of their own, a recording
// prompter and shell opener.
struct MainWindowFixture
{
  QTemporaryDir folder;
  std::unique_ptr<SettingsStore> settings =
      std::make_unique<SettingsStore>(folder.filePath(QStringLiteral("settings.ini")));
  FakePrompter prompter;
  FakeShellOpener shell;
  AppServices services = testServices(*settings, prompter, shell);
  std::unique_ptr<ProgramParts> parts = std::make_unique<ProgramParts>(services);
  MainWindow *window = &parts->window();

  template <typename T>
  T *find(const QString &name) const
  {
    return window->findChild<T *>(name);
  }
};

}  // namespace tessivar::test
