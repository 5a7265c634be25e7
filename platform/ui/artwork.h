#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures: the icons of the main window and its grids, and the drawn pictures of
// the splash, About, quick help and setup windows.
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

inline constexpr int splashWidth = 350;
inline constexpr int splashHeight = 131;

// The product picture of the splash and About windows, 350 × 131 pixels.
QPixmap splashPicture();
// The small product logo of the quick help window.
QPixmap productLogo();

enum class PlayerLogo { Real, Media, StreamWorks };
// A player's logo for the setup dialog's player tabs.
QPixmap playerLogo(PlayerLogo player);

}  // namespace tessivar::artwork
