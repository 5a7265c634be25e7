#pragma once

#include <QString>

#include <optional>

namespace tessivar {

// One of the ten station presets: the station's display name and the address handed to the
// player. An unassigned slot holds the drag-and-drop hint as its name and "NONE" as its address.
struct PresetSlot
{
  QString name;
  QString url;

  friend bool operator==(const PresetSlot &, const PresetSlot &) = default;
};

// "Drag and Drop station listing here while holding Shift Key".
QString unassignedPresetName();
// "NONE".
QString unassignedPresetUrl();
PresetSlot unassignedPreset();

// A slot counts as free for a drop when its name is the hint text.
bool isFreePreset(const PresetSlot &slot);
// A slot has something to play when its address is neither "NONE" nor empty.
bool hasPresetStation(const PresetSlot &slot);

// Where a "name, U+00FF, address" text splits: the first separator that an address (a scheme
// and a colon) follows, so that a name holding the separator stays whole; failing that, the
// last separator. -1 when there is none.
qsizetype presetSplitPoint(const QString &value);

// The slot a stored value describes: split as above, unassigned when the value has no separator
// or nothing before it.
PresetSlot presetFromStored(const QString &stored);
// The stored form: name, the separator, address.
QString storedPreset(const PresetSlot &slot);

// A station made storable: the name is the address when the station has no name, and characters
// the settings file cannot hold are replaced. No station without an address.
std::optional<PresetSlot> presetFromStation(const QString &name, const QString &url);
// The station a drag from the results grid carries ("name, separator, address"), made storable as
// above.
std::optional<PresetSlot> presetFromPayload(const QString &payload);

}  // namespace tessivar
