#pragma once

#include "platform/prompter.h"

#include <QPointer>
#include <QWidget>

namespace tessivar {

// Asks with a real, modal QMessageBox over the given parent window, or, while that is not shown
// (during start-up), over the window the user sees (the splash).
class MessageBoxPrompter final : public Prompter
{
 public:
  explicit MessageBoxPrompter(QWidget *parent = nullptr) : parent_(parent) {}
  void setParent(QWidget *parent) { parent_ = parent; }
  PromptAnswer ask(PromptIcon icon, const QString &title, const QString &text,
                   PromptButtons buttons) override;
  // The window a box is centred over: the parent when visible, else the active window, else the
  // last visible top-level window; none when nothing is shown.
  QWidget *boxParent() const;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace tessivar
