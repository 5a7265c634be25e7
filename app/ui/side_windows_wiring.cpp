#include "app/ui/side_windows_wiring.h"

#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "dialogs/ui/about_window.h"
#include "dialogs/ui/quick_help_window.h"
#include "dialogs/ui/web_window.h"
#include "platform/web_address.h"
#include "results/ui/results_grid.h"

#include <QLabel>
#include <QPointer>

#include <memory>

namespace tessivar {

namespace {

// Brings an open window forward; false when there is none to bring.
bool raiseOpen(const QPointer<QWidget> &open)
{
  if (open.isNull() || !open->isVisible()) return false;
  open->raise();
  open->activateWindow();
  return true;
}

void wireHelpWindows(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  auto quickHelp = std::make_shared<QPointer<QWidget>>();
  QObject::connect(&window, &MainWindow::quickHelpRequested, &window, [&window, &parts, quickHelp] {
    // F1 again brings the open quick help forward instead of a second one.
    if (raiseOpen(*quickHelp)) return;
    auto *help = new QuickHelpWindow(parts.services(), &window);
    help->setAttribute(Qt::WA_DeleteOnClose);
    window.registerSideWindow(help);
    *quickHelp = help;
    help->show();
  });
  auto about = std::make_shared<QPointer<QWidget>>();
  QObject::connect(&window, &MainWindow::aboutRequested, &window, [&window, &parts, about] {
    if (raiseOpen(*about)) return;
    // The picture the splash showed, kept by the main window since start-up.
    auto *dialog = new AboutWindow(parts.splashPicture(), &window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    window.registerSideWindow(dialog);
    *about = dialog;
    dialog->show();
  });
}

// The website preview of a result row goes to the web window, made when first needed (the
// browser engine with it) and made again after it was closed, at its stored place.
void wireWebWindow(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  auto web = std::make_shared<QPointer<WebWindow>>();
  QObject::connect(&window, &MainWindow::websitePreviewRequested, &window,
                   [&window, &parts, web](const QString &url) {
                     if (!webAddress(url).isValid()) return;
                     if (web->isNull()) {
                       auto *page = new WebWindow(parts.services(), &window);
                       page->setAttribute(Qt::WA_DeleteOnClose);
                       window.registerSideWindow(page);
                       QObject::connect(page, &WebWindow::busyChanged, window.controls().results,
                                        &ResultsGrid::showBusyPointer);
                       *web = page;
                     }
                     (*web)->navigate(url);
                     (*web)->show();
                   });
}

}  // namespace

void wireSideWindows(ProgramParts &parts)
{
  wireHelpWindows(parts);
  wireWebWindow(parts);
}

}  // namespace tessivar
