#include "platform/ui/message_box_prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace tessivar {

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon)
{
  switch (icon) {
    case PromptIcon::Critical:
      return QMessageBox::Critical;
    case PromptIcon::Information:
      return QMessageBox::Information;
    case PromptIcon::Exclamation:
      return QMessageBox::Warning;
    case PromptIcon::Question:
      return QMessageBox::Question;
    case PromptIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(PromptButtons buttons)
{
  switch (buttons) {
    case PromptButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

}  // namespace

QWidget *MessageBoxPrompter::boxParent() const
{
  if (parent_ && parent_->isVisible()) return parent_;
  if (QWidget *active = QApplication::activeWindow()) return active;
  const QWidgetList windows = QApplication::topLevelWidgets();
  for (auto window = windows.crbegin(); window != windows.crend(); ++window) {
    if ((*window)->isVisible() && (*window)->isWindow() && (*window)->windowType() != Qt::ToolTip &&
        (*window)->windowType() != Qt::Popup)
      return *window;
  }
  return parent_;
}

PromptAnswer MessageBoxPrompter::ask(PromptIcon icon, const QString &title, const QString &text,
                                     PromptButtons buttons)
{
  QMessageBox box(boxIcon(icon), title, text, boxButtons(buttons), boxParent());
  switch (box.exec()) {
    case QMessageBox::Cancel:
      return PromptAnswer::Cancel;
    case QMessageBox::Yes:
      return PromptAnswer::Yes;
    case QMessageBox::No:
      return PromptAnswer::No;
    default:
      break;
  }
  // Closing an OK/Cancel box with Escape counts as Cancel, a Yes/No box as No.
  if (buttons == PromptButtons::OkCancel && box.clickedButton() == nullptr) return PromptAnswer::Cancel;
  return PromptAnswer::Ok;
}

}  // namespace tessivar
