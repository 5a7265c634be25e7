#pragma once

#include <QString>

namespace tessivar {

class FileAssociations;
class ProcessStarter;
class ProgramOptions;
class Prompter;
struct AppServices;

// getShellCommand: the player value for files ending in `extension` (".ram"): the open command
// of the desktop's default application for them, reduced to its program and fixed arguments
// (parseOpenCommand), the program resolved to its full path. Empty when nothing is associated,
// the command is broken or its program is not there.
QString getShellCommand(FileAssociations &associations, const ProcessStarter &finder,
                        const QString &extension);

// Player detection at start-up: realPlayerCommand from ".ram", mediaPlayerCommand from ".asf",
// both emptied when the embedded engine cannot be made, then streamWorksCommand from ".xdm".
void locatePlayers(ProgramOptions &options, const AppServices &services);

// The two missing-player messages, titled "Tessivar! Broadcast".
void warnMissingPlayers(Prompter &prompter);

}  // namespace tessivar
