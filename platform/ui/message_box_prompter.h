#pragma once

#include "platform/prompter.h"

#include <QPointer>

class QWidget;

namespace tessivar {

// Asks with a real, modal QMessageBox over the given parent window.
class MessageBoxPrompter final : public Prompter
{
 public:
  explicit MessageBoxPrompter(QWidget *parent = nullptr) : parent_(parent) {}
  void setParent(QWidget *parent) { parent_ = parent; }
  PromptAnswer ask(PromptIcon icon, const QString &title, const QString &text,
                   PromptButtons buttons) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace tessivar
