#pragma once

#include "library/preset_slot.h"

#include <QObject>

#include <array>

namespace tessivar {

class SettingsStore;

// The ten station presets, slot 0 to 9 (button n on screen is slot n-1), kept in the settings
// store under "Preset0" ... "Preset9" and written one at a time, the moment a slot is assigned.
class PresetTable final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PresetTable)

 public:
  static constexpr int slotCount = 10;

  // Ten unassigned slots, with no store until load().
  explicit PresetTable(QObject *parent = nullptr);
  ~PresetTable() override;

  // Reads the ten slots from the store, which later writes go to.
  void load(SettingsStore &store);
  // The slot's station; an unassigned slot for an index outside 0..9.
  [[nodiscard]] PresetSlot slot(int index) const;
  // savepresetReg: writes the slot to the store. False when the store did not take it.
  bool savepresetReg(int index);
  // Sets the slot and writes it at once. When the write fails the slot keeps its previous
  // station, in the table and in the store, and the answer is false.
  bool assign(int index, const PresetSlot &station);
  // Where the store keeps its values (for messages).
  [[nodiscard]] QString storeFileName() const;

 signals:
  void slotChanged(int index);

 private:
  static bool isIndex(int index) { return index >= 0 && index < slotCount; }

  std::array<PresetSlot, slotCount> table_;
  SettingsStore *store_ = nullptr;
};

}  // namespace tessivar
