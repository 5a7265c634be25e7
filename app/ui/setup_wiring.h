#pragma once

#include <functional>

namespace tessivar {

class ProgramParts;
enum class SetupPlayer;

// The setup dialog over the main window: Setup (modal from the toolbar, not from the menu), one
// open at a time, as two over the same values would undo each other's edits. Returns what shows it
// on a player's page, for a player that is missing.
std::function<void(SetupPlayer)> wireSetupDialog(ProgramParts &parts);

}  // namespace tessivar
