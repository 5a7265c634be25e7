#pragma once

#include <QPixmap>

namespace tessivar {

// The four pictures of the level animation (ImageList1): frame 1 to 4, the bars rising and
// falling, drawn at the given size.
QPixmap levelPicture(int frame, QSize size);

}  // namespace tessivar
