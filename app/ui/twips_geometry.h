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

// The logical resolution the widget's screen reports (96 when it has none yet).
double logicalDpi(const QWidget *widget);

QRect twipsToPixels(const TwipsRect &twips, double dpi);
TwipsRect pixelsToTwips(const QRect &pixels, double dpi);
int twipsToPixels(double twips, double dpi);

}  // namespace tessivar
