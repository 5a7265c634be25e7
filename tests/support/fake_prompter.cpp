#include "fake_prompter.h"

namespace tessivar::test {

PromptAnswer FakePrompter::ask(PromptIcon icon, const QString &title, const QString &text,
                               PromptButtons buttons)
{
  prompts.append({icon, title, text, buttons});
  if (onAsk) onAsk(prompts.last());
  if (!answers.isEmpty()) return answers.takeFirst();
  return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
}

QStringList FakePrompter::texts() const
{
  QStringList result;
  for (const auto &prompt : prompts) result << prompt.text;
  return result;
}

}  // namespace tessivar::test
