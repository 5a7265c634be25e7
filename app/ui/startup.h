#pragma once

#include "app/ui/twips_geometry.h"

#include <QSizeF>
#include <QString>

#include <qcoro/qcorotask.h>

class QWidget;

namespace tessivar {

class ProgramParts;
class SettingsStore;
class SetupDialog;
struct SettingsRepair;

// True when the screen's logical resolution is exactly 96 dots per inch (before Qt's scaling).
bool isSmallFonts();
// The warning shown when it is not.
QString smallFontsWarning();
// What the user is told when the settings file could not be read whole and was repaired.
QString settingsRepairMessage(const SettingsRepair &repair);

// The main window's place at start-up, in twips: the stored size ("Width", "Height") raised to the
// window's least size, and the stored place ("Top", "Left"; when absent, the window of that size
// centred on the screen); a top or left outside the screen moves to the screen's middle. A stored
// value that does not read as a number keeps the one in `current`.
TwipsRect startupGeometry(const SettingsStore &store, const TwipsRect &screen, const TwipsRect &current,
                          const QSizeF &leastSize);

// Start-up of the main window: the display check, the splash window while the data server is
// found and the version checked, then the caption, the geometry, the layout and GetSettings.
// True when the window may be shown. False when no data server was found or the version is out of
// date; nothing has been written over the stored settings then, and the caller ends the program.
QCoro::Task<bool> runStartup(ProgramParts &parts);

// A setup dialog over the program's choices, deleted when it closes.
SetupDialog *makeSetupDialog(ProgramParts &parts, QWidget *parent);

}  // namespace tessivar
