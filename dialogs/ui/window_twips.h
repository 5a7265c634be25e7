#pragma once

#include <QRect>
#include <QRectF>

class QWidget;

namespace tessivar::window_twips {

// The logical resolution of the screen the widget is on (the primary screen before it has one;
// 96 when there is none).
double screenDpi(const QWidget *widget);
QRect toPixels(const QRectF &twips, double dpi);
QRectF fromPixels(const QRect &pixels, double dpi);

}  // namespace tessivar::window_twips
