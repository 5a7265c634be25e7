#pragma once

#include <QString>
#include <QStringList>

namespace tessivar {

class SettingsStore;

// One preset as stored: name, the code-255 separator, address.
struct PresetEntry
{
  QString name;
  QString url;
};

// Reads a stored preset. The name ends at the last separator, so a name holding the separator
// character itself survives; a value without one (or with an empty name) is unassigned.
PresetEntry readPreset(const QString &stored);
// A preset whose name, upper-cased, holds "DRAG AND DROP" (the hint of an unassigned one).
bool isFreePreset(const PresetEntry &preset);

// comboP's entries: "1 ] " ... "10 ] " followed by the name, or "Unassigned" for a free preset.
QStringList presetChoices(const SettingsStore &settings);
// The entry to select: the first "Unassigned" one, else the first.
int firstFreeChoice(const QStringList &choices);
// The preset slot (0..9) of an entry: its number before the first blank, less one; -1 if none.
int presetSlotOfChoice(const QString &choice);

// What a station is stored as: its name as the window shows it (no control characters, at most
// 200 characters); a station without a name keeps its address as its name (an empty name would
// read back as an unassigned preset).
PresetEntry stationPreset(const QString &name, const QString &url);

}  // namespace tessivar
