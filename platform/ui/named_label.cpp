#include "platform/ui/named_label.h"

#include <QLabel>

namespace tessivar {

QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent)
{
  auto *label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace tessivar
