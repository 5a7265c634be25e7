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

// A window's place and size in twips of its screen's logical resolution; the normal geometry is
// the one it returns to from minimised or maximised.
TwipsRect geometryTwips(const QWidget &window);
TwipsRect normalGeometryTwips(const QWidget &window);
void setGeometryTwips(QWidget &window, const TwipsRect &geometry);
// The available area of the window's screen, in twips.
TwipsRect screenTwips(const QWidget &window);

}  // namespace tessivar
