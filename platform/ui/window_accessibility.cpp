#include "platform/ui/window_accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace tessivar {

namespace {

class PlainWindowAccessible final : public QAccessibleWidget
{
 public:
  explicit PlainWindowAccessible(QWidget *widget) : QAccessibleWidget(widget) {}

  // Asked each time: a widget may become a window, or stop being one, after it was first seen.
  QAccessible::Role role() const override
  {
    const QWidget *plain = widget();
    if (!plain->isWindow()) return QAccessibleWidget::role();
    switch (plain->windowType()) {
      case Qt::Dialog:
      case Qt::Sheet:
        return QAccessible::Dialog;
      case Qt::Popup:
      case Qt::ToolTip:
        return QAccessibleWidget::role();
      default:
        return QAccessible::Window;
    }
  }
};

// Answers for classes derived straight from QWidget, asked by the class's own name. A widget that
// is being destroyed is a bare QWidget by then and is left to Qt, which knows not to describe it.
QAccessibleInterface *plainWindowFactory(const QString &className, QObject *object)
{
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  const QMetaObject *own = object->metaObject();
  if (own->superClass() != &QWidget::staticMetaObject || className != QLatin1String(own->className()))
    return nullptr;
  return new PlainWindowAccessible(static_cast<QWidget *>(object));
}

}  // namespace

void installWindowAccessibility()
{
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(plainWindowFactory);
}

}  // namespace tessivar
