#include "app/ui/twips_geometry.h"

#include "base/twips.h"

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

}  // namespace tessivar
