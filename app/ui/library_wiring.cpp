#include "app/ui/library_wiring.h"

#include "app/ui/main_window.h"
#include "app/ui/preset_bar.h"
#include "app/ui/program_parts.h"
#include "library/preset_commands.h"
#include "library/ui/bookmarks_controller.h"
#include "platform/prompter.h"
#include "results/ui/results_grid.h"

#include <QComboBox>

namespace tessivar {

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

}  // namespace tessivar
