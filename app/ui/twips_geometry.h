#pragma once

#include <QRect>

class QWidget;

namespace tessivar {

// A window's position and size in twips.
struct TwipsRect
{
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
};

QRect twipsToPixels(const TwipsRect &twips, double dpi);
TwipsRect pixelsToTwips(const QRect &pixels, double dpi);
int twipsToPixels(double twips, double dpi);

}  // namespace tessivar
