#include "app/ui/startup.h"

#include "app/server_discovery.h"
#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "dialogs/signup_request.h"
#include "dialogs/ui/quick_help_window.h"
#include "dialogs/ui/setup_dialog.h"
#include "dialogs/ui/signup_window.h"
#include "dialogs/ui/splash_window.h"
#include "platform/prompter.h"
#include "results/results_layout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>

#include <qcoro/qcorosignal.h>

#include <algorithm>

namespace tessivar {

namespace {

// Shows a first-run window modally and waits for it to close. False when the main window went
// away meanwhile.
QCoro::Task<bool> showFirstRunWindow(QDialog &dialog, QPointer<MainWindow> guard)
{
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.show();
  co_await qCoro(&dialog, &QDialog::finished);
  co_return !guard.isNull();
}

}  // namespace

bool isSmallFonts()
{
  // Qt turns a desktop's larger font resolution into a device pixel ratio over 96 logical dots
  // per inch; the desktop's own setting is the product of the two.
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen != nullptr && screen->logicalDotsPerInchX() * screen->devicePixelRatio() == 96.0;
}

QString smallFontsWarning()
{
  return QStringLiteral(
      "Warning, this application may not visually function correctly with Large or non-small fonts selected "
      "in "
      "Windows");
}

QString settingsRepairMessage(const SettingsRepair &repair)
{
  const QString kept = repair.keptCopy.isEmpty()
                           ? QStringLiteral("A copy of the file as it was could not be kept.")
                           : QStringLiteral("The file as it was is kept as %1.").arg(repair.keptCopy);
  return QStringLiteral(
             "Your settings could not be read whole: a line of the settings file is damaged.\n\nEvery "
             "setting in the file was read again line by line and kept. ") +
         kept;
}

TwipsRect startupGeometry(const SettingsStore &store, const TwipsRect &screen, const TwipsRect &current,
                          const QSizeF &leastSize)
{
  TwipsRect place = current;
  if (const auto width = store.twips(SettingKey::Width)) place.width = *width;
  if (const auto height = store.twips(SettingKey::Height)) place.height = *height;
  // The layout raises the window to its least size, so a window centred at a smaller size (the
  // first start's 1000 × 1000) would hang off to the lower right.
  place.width = std::max(place.width, leastSize.width());
  place.height = std::max(place.height, leastSize.height());

  // A window larger than the screen keeps its title bar and left edge on it.
  const double centredTop = screen.top + std::max(0.0, (screen.height - place.height) / 2);
  const double centredLeft = screen.left + std::max(0.0, (screen.width - place.width) / 2);
  if (const auto top = store.twips(SettingKey::Top, static_cast<float>(centredTop))) place.top = *top;
  if (const auto left = store.twips(SettingKey::Left, static_cast<float>(centredLeft))) place.left = *left;

  // A window whose corner lies off the screen moves to the middle; one only partly off stays.
  if (place.top < screen.top || place.top > screen.top + screen.height)
    place.top = screen.top + screen.height / 2;
  if (place.left > screen.left + screen.width || place.left < screen.left) {
    place.left = screen.left + screen.width / 2;
  }
  return place;
}

SetupDialog *makeSetupDialog(ProgramParts &parts, QWidget *parent)
{
  auto *dialog = new SetupDialog(parts.options(), parts.services(), parts.window().searchMode(), parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  return dialog;
}

QCoro::Task<bool> runStartup(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  // The parts go with their window: once it has gone, nothing of them may be touched.
  QPointer<MainWindow> guard(&window);
  const AppServices services = parts.services();

  if (!isSmallFonts()) {
    services.prompter.ask(PromptIcon::Critical, product::applicationTitle(), smallFontsWarning());
  }
  // Told at the start that repaired the file; the next one finds it whole.
  if (const SettingsRepair &repair = services.settings.repairAtOpen(); repair.done) {
    services.prompter.ask(PromptIcon::Exclamation, product::applicationTitle(),
                          settingsRepairMessage(repair));
  }

  SplashWindow splash;
  ServerDiscovery reg(services.settings, services.prompter, services.transfers);
  QObject::connect(&reg, &ServerDiscovery::statusChanged, &splash, &SplashWindow::setStatus);
  reg.configureProxy = [&parts] {
    SetupDialog *dialog = makeSetupDialog(parts, nullptr);
    dialog->selectPage(SetupDialog::Page::Proxy);
    dialog->exec();
  };

  splash.show();
  co_await qCoro(&splash, &SplashWindow::checksDue);
  const QString dataServer = co_await reg.getServerInfo();
  if (!guard) co_return false;
  if (!dataServer.isEmpty()) {
    parts.keepSplashPicture(splash.picture());
  }
  splash.close();
  if (dataServer.isEmpty()) co_return false;
  parts.setDataServer(dataServer);

  // The first runs: the mailing-list offer until it has been made twice or taken up, then the
  // quick help once.
  if (signup::offerDue(services.settings)) {
    SignupWindow signup(services);
    if (!co_await showFirstRunWindow(signup, guard)) co_return false;
  }
  if (services.settings.text(SettingKey::QHShow).isEmpty()) {
    QuickHelpWindow help(services);
    if (!co_await showFirstRunWindow(help, guard)) co_return false;
  }

  const QSizeF leastSize(results_layout::minimumWindowWidth, results_layout::minimumWindowHeight);
  setGeometryTwips(window,
                   startupGeometry(services.settings, screenTwips(window), geometryTwips(window), leastSize));
  window.layoutWindow();
  window.GetSettings();
  co_return true;
}

}  // namespace tessivar
