#include "app/ui/application.h"

#include <QApplication>

int main(int argc, char *argv[])
{
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Tessivar"));
  QApplication::setApplicationName(QStringLiteral("Tessivar! Broadcast"));
  // The splash and the start-up messages come and go before the main window shows.
  QApplication::setQuitOnLastWindowClosed(false);

  tessivar::Application program;
  program.start();
  return QApplication::exec();
}
