#include "library/preset_table.h"

#include "base/setting_key.h"
#include "base/settings_store.h"

namespace tessivar {

static_assert(PresetTable::slotCount == presetSlotCount);

PresetTable::PresetTable(QObject *parent) : QObject(parent)
{
  table_.fill(unassignedPreset());
}

PresetTable::~PresetTable() = default;

void PresetTable::load(SettingsStore &store)
{
  store_ = &store;
  for (int index = 0; index < slotCount; ++index) {
    table_[index] = presetFromStored(store.preset(index));
    emit slotChanged(index);
  }
}

PresetSlot PresetTable::slot(int index) const
{
  return isIndex(index) ? table_[index] : unassignedPreset();
}

bool PresetTable::savepresetReg(int index)
{
  if (!isIndex(index) || store_ == nullptr) return false;
  return store_->setPreset(index, storedPreset(table_[index]));
}

bool PresetTable::assign(int index, const PresetSlot &station)
{
  if (!isIndex(index) || store_ == nullptr) return false;
  const PresetSlot previous = table_[index];
  const QString previousStored = store_->preset(index);
  table_[index] = station;
  if (!savepresetReg(index)) {
    table_[index] = previous;
    // The store keeps the failed value in memory and would write it with a later change.
    store_->setPreset(index, previousStored);
    return false;
  }
  emit slotChanged(index);
  return true;
}

QString PresetTable::storeFileName() const
{
  return store_ != nullptr ? store_->fileName() : QString();
}

}  // namespace tessivar
