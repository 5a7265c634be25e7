#include "platform/ui/screen_dpi.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tessivar {

double screenDpi(const QWidget *widget)
{
  const QScreen *screen = widget != nullptr ? widget->screen() : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const double dpi = screen != nullptr ? screen->logicalDotsPerInchX() : 0;
  return dpi > 0 ? dpi : 96.0;
}

}  // namespace tessivar
