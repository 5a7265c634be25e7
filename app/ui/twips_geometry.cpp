#include "app/ui/twips_geometry.h"

#include "base/twips.h"
#include "platform/ui/screen_dpi.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tessivar {

int twipsToPixels(double twips, double dpi)
{
  return twips::toPixels(twips, dpi);
}

QRect twipsToPixels(const TwipsRect &twips, double dpi)
{
  return {twips::toPixels(twips.left, dpi), twips::toPixels(twips.top, dpi),
          twips::toPixels(twips.width, dpi), twips::toPixels(twips.height, dpi)};
}

TwipsRect pixelsToTwips(const QRect &pixels, double dpi)
{
  return {twips::fromPixels(pixels.x(), dpi), twips::fromPixels(pixels.y(), dpi),
          twips::fromPixels(pixels.width(), dpi), twips::fromPixels(pixels.height(), dpi)};
}

TwipsRect geometryTwips(const QWidget &window)
{
  return pixelsToTwips(window.geometry(), screenDpi(&window));
}

TwipsRect normalGeometryTwips(const QWidget &window)
{
  const QRect normal = window.normalGeometry();
  return pixelsToTwips(normal.isValid() ? normal : window.geometry(), screenDpi(&window));
}

void setGeometryTwips(QWidget &window, const TwipsRect &geometry)
{
  window.setGeometry(twipsToPixels(geometry, screenDpi(&window)));
}

TwipsRect screenTwips(const QWidget &window)
{
  const QScreen *current = window.screen();
  return current != nullptr ? pixelsToTwips(current->geometry(), screenDpi(&window)) : TwipsRect{};
}

}  // namespace tessivar
