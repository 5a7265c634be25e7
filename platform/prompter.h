#pragma once

#include <QString>

namespace tessivar {

enum class PromptIcon { None, Critical, Information, Exclamation, Question };
enum class PromptButtons { Ok, OkCancel, YesNo };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// Every message box of the program goes through this seam, so tests can answer it and see what
// the user would have been asked.
class Prompter
{
 public:
  virtual ~Prompter() = default;
  virtual PromptAnswer ask(PromptIcon icon, const QString &title, const QString &text,
                           PromptButtons buttons = PromptButtons::Ok) = 0;
};

}  // namespace tessivar
