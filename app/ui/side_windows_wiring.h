#pragma once

namespace tessivar {

class ProgramParts;

// The side windows on the main window's requests: quick help (F1) and About, and the web window
// for a result's website preview.
void wireSideWindows(ProgramParts &parts);

}  // namespace tessivar
