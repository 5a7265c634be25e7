#pragma once

#include <QString>

class QSettings;

namespace tessivar {

// What became of a settings file that could not be read whole.
struct SettingsRepair
{
  bool done = false;
  // Where the file as it was is kept; empty when no copy could be made.
  QString keptCopy;
};

// The store writes one key a line. When it has read fewer keys than the file has key lines (a
// stray quote runs its value on over the lines below it, a line that ends in a backslash takes the
// next one along), the file is first copied beside itself, then each key line is read again on
// its own into the store, which writes the file whole. Nothing is done to a file read whole.
SettingsRepair repairUnreadKeys(QSettings &settings);

}  // namespace tessivar
