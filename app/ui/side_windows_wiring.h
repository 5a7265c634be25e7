#pragma once

namespace tessivar {

class MainWindow;

// The side windows on the main window's requests: quick help (F1) and About, and the web window
// for a result's website preview.
void wireSideWindows(MainWindow &window);

}  // namespace tessivar
