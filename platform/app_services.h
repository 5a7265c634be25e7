#pragma once

namespace tessivar {

class SettingsStore;
class Prompter;
class ShellOpener;

// The program's seams to the outside, made once at start-up (or by a test) and handed to the
// windows that need them.
struct AppServices
{
  SettingsStore &settings;
  Prompter &prompter;
  ShellOpener &shell;
};

}  // namespace tessivar
