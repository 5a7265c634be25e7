#include "app/ui/main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Tessivar"));
  QApplication::setApplicationName(QStringLiteral("Tessivar! Broadcast"));
  tessivar::MainWindow window;
  window.show();
  return QApplication::exec();
}
