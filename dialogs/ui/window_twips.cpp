#include "dialogs/ui/window_twips.h"

#include "base/twips.h"

namespace tessivar::window_twips {

QRect toPixels(const QRectF &twips, double dpi)
{
  return {twips::toPixels(twips.left(), dpi), twips::toPixels(twips.top(), dpi),
          twips::toPixels(twips.width(), dpi), twips::toPixels(twips.height(), dpi)};
}

QRectF fromPixels(const QRect &pixels, double dpi)
{
  return {twips::fromPixels(pixels.x(), dpi), twips::fromPixels(pixels.y(), dpi),
          twips::fromPixels(pixels.width(), dpi), twips::fromPixels(pixels.height(), dpi)};
}

}  // namespace tessivar::window_twips
