#include "app/ui/application.h"

#include "app/ui/main_window.h"
#include "app/ui/search_commands.h"
#include "app/ui/startup.h"
#include "dialogs/ui/about_window.h"
#include "dialogs/ui/quick_help_window.h"
#include "dialogs/ui/setup_dialog.h"
#include "dialogs/ui/web_window.h"
#include "dialogs/web_address.h"
#include "results/ui/results_grid.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>

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

// Brings an open window forward; false when there is none to bring.
bool raiseOpen(const QPointer<QWidget> &open)
{
  if (open.isNull() || !open->isVisible()) return false;
  open->raise();
  open->activateWindow();
  return true;
}

void wireHelpWindows(MainWindow &window)
{
  auto quickHelp = std::make_shared<QPointer<QWidget>>();
  QObject::connect(&window, &MainWindow::quickHelpRequested, &window, [&window, quickHelp] {
    // F1 again brings the open quick help forward instead of a second one.
    if (raiseOpen(*quickHelp)) return;
    auto *help = new QuickHelpWindow(window.services(), &window);
    help->setAttribute(Qt::WA_DeleteOnClose);
    window.registerSideWindow(help);
    *quickHelp = help;
    help->show();
  });
  auto about = std::make_shared<QPointer<QWidget>>();
  QObject::connect(&window, &MainWindow::aboutRequested, &window, [&window, about] {
    if (raiseOpen(*about)) return;
    // The picture the splash showed, kept by the main window since start-up.
    const auto *splash = window.findChild<QLabel *>(QStringLiteral("picSplash"));
    auto *dialog = new AboutWindow(splash != nullptr ? splash->pixmap() : QPixmap(), &window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    window.registerSideWindow(dialog);
    *about = dialog;
    dialog->show();
  });
}

// The website preview of a result row goes to the web window, made when first needed (the
// browser engine with it) and made again after it was closed, at its stored place.
void wireWebWindow(MainWindow &window)
{
  auto web = std::make_shared<QPointer<WebWindow>>();
  QObject::connect(&window, &MainWindow::websitePreviewRequested, &window,
                   [&window, web](const QString &url) {
                     if (!webAddress(url).isValid()) return;
                     if (web->isNull()) {
                       auto *page = new WebWindow(window.services(), &window);
                       page->setAttribute(Qt::WA_DeleteOnClose);
                       window.registerSideWindow(page);
                       QObject::connect(page, &WebWindow::busyChanged, window.resultsGrid(),
                                        &ResultsGrid::showBusyPointer);
                       *web = page;
                     }
                     (*web)->navigate(url);
                     (*web)->show();
                   });
}

}  // namespace

void wireMainWindow(MainWindow &window)
{
  wireSetupDialog(window);
  wireHelpWindows(window);
  wireWebWindow(window);
  wireSearchCommands(window);
}

}  // namespace tessivar
