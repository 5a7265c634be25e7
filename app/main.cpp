#include "app/ui/main_window.h"
#include "app/ui/startup.h"
#include "base/settings_store.h"
#include "platform/app_services.h"
#include "platform/shell_opener.h"
#include "platform/ui/message_box_prompter.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Tessivar"));
  QApplication::setApplicationName(QStringLiteral("Tessivar! Broadcast"));
  // The splash and the start-up messages come and go before the main window shows.
  QApplication::setQuitOnLastWindowClosed(false);

  tessivar::SettingsStore settings;
  tessivar::MessageBoxPrompter prompter;
  tessivar::DesktopShellOpener shell;
  const tessivar::AppServices services{settings, prompter, shell};
  tessivar::MainWindow window(services);
  prompter.setParent(&window);
  tessivar::connectSetupDialog(window);

  QTimer::singleShot(0, &window, [&window] {
    QCoro::connect(tessivar::runStartup(window), &window, [&window](bool started) {
      if (!started) {
        QApplication::exit(0);
        return;
      }
      window.show();
      QApplication::setQuitOnLastWindowClosed(true);
      // However the program ends (also with the window hidden in the tray when another window
      // closes last), the main window's closing steps run and save its state; they run once.
      QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, [&window] { window.close(); });
    });
  });
  return QApplication::exec();
}
