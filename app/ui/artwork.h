#pragma once

#include <QIcon>

namespace tessivar::artwork {

// The pictures of the main window: taken from the desktop's icon theme when it has them, else
// the program's own drawings.
enum class Picture {
  Application,
  Setup,
  Search,
  Stop,
  Play,
  Record,
  Website,
  Scan,
  Bookmarks,
  Email,
  Preset,
  PresetPressed,
  StatusLive,  // small-icon picture 1 of the result grids
  StatusFile,  // small-icon picture 2 of the result grids
};

QIcon icon(Picture picture);
// The program's own drawing, never the theme's (the window and tray icon).
QIcon ownIcon(Picture picture);

}  // namespace tessivar::artwork
