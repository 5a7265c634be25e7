#include "scanner/ui/level_pictures.h"

#include <QPainter>

#include <array>

namespace tessivar {

QPixmap levelPicture(int frame, QSize size)
{
  // Heights of the five bars, in fifths of the picture, for each frame.
  static constexpr std::array<std::array<int, 5>, 4> heights{{
      {2, 4, 3, 5, 1},
      {4, 2, 5, 3, 2},
      {3, 5, 2, 4, 3},
      {5, 3, 4, 2, 4},
  }};
  QPixmap picture(size);
  picture.fill(Qt::black);
  QPainter painter(&picture);
  const std::array<int, 5> &bars = heights.at(static_cast<std::size_t>((frame - 1) & 3));
  const int width = size.width() / 5;
  for (int i = 0; i < 5; ++i) {
    const int height = size.height() * bars.at(static_cast<std::size_t>(i)) / 5;
    painter.fillRect(i * width + 1, size.height() - height, width - 2, height, QColor(0x30, 0xd0, 0x40));
  }
  return picture;
}

}  // namespace tessivar
