#pragma once

namespace tessivar {

class MainWindow;

// The scanner window on the main window's requests ("S&can Stations", the playlists of both
// grids, Record), with its presets and bookmarks going to the main window's.
void wireScanner(MainWindow &window);

}  // namespace tessivar
