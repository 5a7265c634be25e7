#pragma once

#include "platform/prompter.h"
#include "platform/shell_opener.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace tessivar::test {

// Records every message box the program shows and answers from a queue (default: the first
// button: OK or Yes).
class FakePrompter final : public Prompter
{
 public:
  struct Prompt
  {
    PromptIcon icon;
    QString title;
    QString text;
    PromptButtons buttons;
  };

  PromptAnswer ask(PromptIcon icon, const QString &title, const QString &text,
                   PromptButtons buttons) override;

  QList<Prompt> prompts;
  QList<PromptAnswer> answers;                // consumed front first
  std::function<void(const Prompt &)> onAsk;  // runs before answering (e.g. to act while "modal")
  QStringList texts() const;
};

// Records what the program asked the desktop to open.
class FakeShellOpener final : public ShellOpener
{
 public:
  bool open(const QString &target) override
  {
    opened << target;
    return succeed;
  }
  QStringList opened;
  bool succeed = true;
};

}  // namespace tessivar::test
