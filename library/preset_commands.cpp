#include "library/preset_commands.h"

#include "base/product.h"
#include "library/preset_table.h"
#include "platform/prompter.h"

namespace tessivar {

PresetCommands::PresetCommands(PresetTable &table, Prompter &prompter, std::function<SearchMode()> searchMode,
                               QObject *parent)
    : QObject(parent), table_(table), prompter_(prompter), searchMode_(std::move(searchMode))
{
}

PresetCommands::~PresetCommands() = default;

void PresetCommands::press(int index)
{
  emit pressedLookChanged(-1);
  if (hasPresetStation(table_.slot(index))) {
    emit pressedLookChanged(index);
    return;
  }
  prompter_.ask(PromptIcon::Information, product::applicationName(),
                QStringLiteral("Drag and Drop station here while holding Shift Key to assign preset"));
  emit searchBoxFocusRequested();
}

void PresetCommands::click(int index)
{
  const PresetSlot slot = table_.slot(index);
  emit playRequested(slot.url, slot.name);
}

void PresetCommands::drop(int index, const QString &payload)
{
  if (index < 0 || index >= PresetTable::slotCount) return;
  if (searchMode_ && searchMode_() != SearchMode::Live) {
    prompter_.ask(PromptIcon::Critical, product::applicationTitle(),
                  QStringLiteral("Presets may only be used for live radio and television stations, please "
                                 "use bookmarks instead."));
    return;
  }
  const std::optional<PresetSlot> station = presetFromPayload(payload);
  if (!station) return;
  const QString number = QString::number(index + 1);
  if (!isFreePreset(table_.slot(index))) {
    const PromptAnswer answer = prompter_.ask(
        PromptIcon::Question, product::applicationName(),
        QStringLiteral("Station currently assigned to Preset ") + number + QStringLiteral(", Reassign ?"),
        PromptButtons::YesNo);
    if (answer != PromptAnswer::Yes) return;
  }
  store(index, *station);
}

bool PresetCommands::assignStation(int index, const QString &name, const QString &url)
{
  if (index < 0 || index >= PresetTable::slotCount) return false;
  const std::optional<PresetSlot> station = presetFromStation(name, url);
  return station && store(index, *station);
}

bool PresetCommands::store(int index, const PresetSlot &station)
{
  const QString number = QString::number(index + 1);
  if (!table_.assign(index, station)) {
    prompter_.ask(PromptIcon::Critical, product::applicationName(),
                  QStringLiteral("Preset %1 could not be saved: the settings file %2 cannot be written. "
                                 "The preset keeps its previous station.")
                      .arg(number, table_.storeFileName()));
    return false;
  }
  prompter_.ask(PromptIcon::None, product::applicationName(),
                QStringLiteral("Preset ") + number + QStringLiteral(" Assigned to ") + station.name);
  return true;
}

}  // namespace tessivar
