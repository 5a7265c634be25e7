#pragma once

class QLabel;
class QString;
class QWidget;

namespace tessivar {

// A label with the control name `name` showing `text` as plain text: texts that come from a
// server or the user never turn into markup.
QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent);

}  // namespace tessivar
