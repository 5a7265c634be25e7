#pragma once

namespace tessivar {

class ProgramParts;
class SongLog;

// The log of the songs heard, read at start, and its window on "Songs Heard" (one at a time).
SongLog &wireSongLog(ProgramParts &parts);

}  // namespace tessivar
