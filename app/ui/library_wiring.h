#pragma once

#include <QString>

namespace tessivar {

class BookmarksController;
class PresetCommands;
class ProgramParts;

// What the library wiring makes, for the parts that store into the presets and the bookmarks.
struct LibraryParts
{
  PresetCommands *presets = nullptr;
  BookmarksController *bookmarks = nullptr;
};

// The preset buttons and the bookmarks: their commands, the bookmarks window (kept in
// bookmarksPath) and the plays they request. Part of wireProgram.
LibraryParts wireLibrary(ProgramParts &parts, const QString &bookmarksPath);

}  // namespace tessivar
