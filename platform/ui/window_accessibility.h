#pragma once

namespace tessivar {

// Presents the program's windows that are built on a bare QWidget to assistive technology as
// what they are: a frame, or a dialog for a dialog-type window, where Qt would show a filler.
// Such widgets inside another window stay fillers. Installed once, right after the application
// object; later calls do nothing.
void installWindowAccessibility();

}  // namespace tessivar
