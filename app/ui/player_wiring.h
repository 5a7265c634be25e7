#pragma once

#include <functional>

namespace tessivar {

class ProgramParts;
class SongLog;
enum class SetupPlayer;

// Playing: the window's play requests go to the player launcher "playerLauncher", which shows
// its progress in status panel 1 and the busy pointers on the screen and the results grid, and
// asks for the setup dialog on a player's page (showSetup) when the player is missing. With the
// built-in player chosen, streams play in the program's own player (ProgramParts::player): its bar above
// the status bar (from the first play on), the tray icon's tooltip and the desktop's media
// controls while it plays, and the titles it hears in the song log.
void wirePlayers(ProgramParts &parts, const std::function<void(SetupPlayer)> &showSetup, SongLog &songs);

}  // namespace tessivar
