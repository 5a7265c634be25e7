#include "scanner/scan_presets.h"

#include "base/number_value.h"
#include "base/setting_key.h"
#include "base/settings_store.h"
#include "scanner/station_answer.h"

namespace tessivar {

PresetEntry readPreset(const QString &stored)
{
  const qsizetype separator = stored.lastIndexOf(presetSeparator);
  if (separator <= 0) return readPreset(presetDefault());
  return PresetEntry{stored.left(separator), stored.mid(separator + 1)};
}

bool isFreePreset(const PresetEntry &preset)
{
  return preset.name.toUpper().contains(QStringLiteral("DRAG AND DROP"));
}

QStringList presetChoices(const SettingsStore &settings)
{
  QStringList choices;
  for (int slot = 0; slot < presetSlotCount; ++slot) {
    const PresetEntry preset = readPreset(settings.preset(slot));
    choices << QString::number(slot + 1) + QStringLiteral(" ] ") +
                   (isFreePreset(preset) ? QStringLiteral("Unassigned") : preset.name);
  }
  return choices;
}

int firstFreeChoice(const QStringList &choices)
{
  for (int i = 0; i < choices.size(); ++i) {
    if (choices.at(i).toUpper().contains(QStringLiteral("UNASSIGNED"))) return i;
  }
  return 0;
}

int presetSlotOfChoice(const QString &choice)
{
  const int number = wholeNumberValue(choice.section(QLatin1Char(' '), 0, 0));
  return number >= 1 && number <= presetSlotCount ? number - 1 : -1;
}

PresetEntry stationPreset(const QString &name, const QString &url)
{
  const QString shown = fieldDisplayText(name);
  return PresetEntry{shown.trimmed().isEmpty() ? url : shown, url};
}

}  // namespace tessivar
