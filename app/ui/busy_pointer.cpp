#include "app/ui/busy_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace tessivar {

void BusyPointer::set(bool busy)
{
  if (busy == on_) return;
  on_ = busy;
  if (busy)
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  else
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace tessivar
