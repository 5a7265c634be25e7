#include "app/ui/setup_wiring.h"

#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "app/ui/startup.h"
#include "dialogs/ui/setup_dialog.h"

#include <QPointer>

#include <memory>
#include <optional>

namespace tessivar {

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

}  // namespace

std::function<void(SetupPlayer)> wireSetupDialog(ProgramParts &parts)
{
  const auto open = std::make_shared<QPointer<SetupDialog>>();
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
  // On a player's page, shown modally; a setup dialog that is open already shows the page instead.
  return [&parts, open](SetupPlayer player) {
    const SetupDialog::Page page = SetupDialog::playerPage(player);
    if (raiseOpenSetupDialog(open, page)) return;
    SetupDialog *dialog = newSetupDialog(parts, open);
    dialog->selectPage(page);
    dialog->exec();
  };
}

}  // namespace tessivar
