#pragma once

#include <cmath>

// Window geometry is kept in twips (1/1440 inch): pixels × 1440 / the screen's logical DPI.
namespace tessivar::twips {

inline constexpr double perInch = 1440.0;

inline double fromPixels(double pixels, double logicalDpi)
{
  return pixels * perInch / logicalDpi;
}
inline int toPixels(double twips, double logicalDpi)
{
  return static_cast<int>(std::lround(twips * logicalDpi / perInch));
}

// The fewest whole pixels that cover the given twips (for minimum sizes).
inline int toPixelsCovering(double twips, double logicalDpi)
{
  return static_cast<int>(std::ceil(twips * logicalDpi / perInch - 1e-9));
}

}  // namespace tessivar::twips
