#pragma once

namespace tessivar {

class MainWindow;
class SongLog;

// The log of the songs heard, read at start, and its window on "Songs Heard" (one at a time).
SongLog &wireSongLog(MainWindow &window);

}  // namespace tessivar
