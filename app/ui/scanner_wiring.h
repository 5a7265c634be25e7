#pragma once

namespace tessivar {

class ProgramParts;
class BookmarksController;
class PresetCommands;
class SongLog;
class StreamRecording;

// The scanner window on the main window's requests ("S&can Stations", the playlists of both
// grids), with its presets, bookmarks and recording going to the main window's, and the titles it
// hears to the song log. The scanner and the built-in player share the sound device: the scanner
// starting, or taking a playlist, stops the built-in player.
void wireScanner(ProgramParts &parts, StreamRecording &recording, PresetCommands &presets,
                 BookmarksController &bookmarks, SongLog &songs);

}  // namespace tessivar
