#pragma once

#include <QRect>
#include <QRectF>

class QWidget;

namespace tessivar::window_twips {

QRect toPixels(const QRectF &twips, double dpi);
QRectF fromPixels(const QRect &pixels, double dpi);

}  // namespace tessivar::window_twips
