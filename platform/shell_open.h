#pragma once

#include <QString>

namespace tessivar {

class Prompter;
class ShellOpener;

// The text shown when the desktop could not open a target.
QString shellOpenFailureText();

// Asks the desktop to open a web address, "mailto:" link or file, with the busy pointer shown
// meanwhile. When that fails, tells the user so ("Error Executing Application or File Not
// Found") and returns false.
bool shellOpen(ShellOpener &opener, Prompter &prompter, const QString &target);

}  // namespace tessivar
