#pragma once

namespace tessivar {

class EmbeddedPlayerEngine;
class FileAssociations;
class ProcessStarter;
class Prompter;
class SettingsStore;
class ShellOpener;
class TransferFactory;

// The program's seams to the outside, made once by the application (or by a test) and handed
// to whoever needs them.
struct AppServices
{
  SettingsStore &settings;
  Prompter &prompter;
  ShellOpener &shell;
  TransferFactory &transfers;
  ProcessStarter &processes;
  FileAssociations &associations;
  EmbeddedPlayerEngine &embeddedPlayer;
};

}  // namespace tessivar
