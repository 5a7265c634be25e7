#include "library/preset_slot.h"

#include "base/setting_key.h"

#include <QRegularExpression>

namespace tessivar {

namespace {

// A text as the settings file gives it back: an unpaired surrogate would come back as U+FFFD
// and a byte order mark at the start of a value would be dropped.
QString storable(const QString &text)
{
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == QChar(0xFEFF)) continue;
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      out += c;
      out += text.at(++i);
    } else if (c.isSurrogate()) {
      out += QChar(QChar::ReplacementCharacter);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

QString unassignedPresetName()
{
  return QStringLiteral("Drag and Drop station listing here while holding Shift Key");
}

QString unassignedPresetUrl()
{
  return QStringLiteral("NONE");
}

PresetSlot unassignedPreset()
{
  return {unassignedPresetName(), unassignedPresetUrl()};
}

bool isFreePreset(const PresetSlot &slot)
{
  return slot.name == unassignedPresetName();
}

bool hasPresetStation(const PresetSlot &slot)
{
  return !slot.url.isEmpty() && slot.url != unassignedPresetUrl();
}

qsizetype presetSplitPoint(const QString &value)
{
  static const QRegularExpression scheme(QStringLiteral("[A-Za-z][A-Za-z0-9+.-]*:"));
  for (qsizetype at = value.indexOf(presetSeparator); at >= 0; at = value.indexOf(presetSeparator, at + 1)) {
    if (scheme
            .match(value, at + 1, QRegularExpression::NormalMatch,
                   QRegularExpression::AnchorAtOffsetMatchOption)
            .hasMatch())
      return at;
  }
  return value.lastIndexOf(presetSeparator);
}

PresetSlot presetFromStored(const QString &stored)
{
  const qsizetype at = presetSplitPoint(stored);
  if (at <= 0) return unassignedPreset();
  return {stored.left(at), stored.mid(at + 1)};
}

QString storedPreset(const PresetSlot &slot)
{
  return slot.name + presetSeparator + slot.url;
}

std::optional<PresetSlot> presetFromPayload(const QString &payload)
{
  const qsizetype at = presetSplitPoint(payload);
  if (at < 0) return std::nullopt;
  return presetFromStation(payload.left(at), payload.mid(at + 1));
}

std::optional<PresetSlot> presetFromStation(const QString &name, const QString &url)
{
  PresetSlot slot{storable(name), storable(url)};
  if (slot.url.trimmed().isEmpty()) return std::nullopt;
  // Stored without a name, the preset would load as unassigned at the next start.
  if (slot.name.trimmed().isEmpty()) slot.name = slot.url;
  return slot;
}

}  // namespace tessivar
