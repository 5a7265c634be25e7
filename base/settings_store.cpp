#include "base/settings_store.h"

#include "base/product.h"
#include "base/setting_conversions.h"

#include <QSettings>

namespace tessivar {

namespace {
const QString group = QStringLiteral("Settings");
}

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            product::organisationName(), product::applicationName())),
      repair_(repairUnreadKeys(*settings_))
{
}

SettingsStore::SettingsStore(const QString &iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)),
      repair_(repairUnreadKeys(*settings_))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::read(const QString &name, const QString &defaultText) const
{
  const QVariant value = settings_->value(group + QLatin1Char('/') + name);
  if (!value.isValid()) return defaultText;
  // The file format reads a value with unquoted commas as a list: join it back into its text.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
  return value.toString();
}

void SettingsStore::write(const QString &name, const QString &value)
{
  settings_->setValue(group + QLatin1Char('/') + name, value);
  settings_->sync();
}

bool SettingsStore::contains(SettingKey key) const
{
  if (heldForRun_.contains(key)) return true;
  return settings_->contains(group + QLatin1Char('/') + settingName(key));
}

QString SettingsStore::text(SettingKey key) const
{
  if (const auto held = heldForRun_.constFind(key); held != heldForRun_.cend()) return *held;
  return read(settingName(key), settingDefault(key));
}

std::optional<qint32> SettingsStore::wholeNumber(SettingKey key) const
{
  return conversions::toWholeNumber(text(key));
}

std::optional<bool> SettingsStore::truth(SettingKey key) const
{
  return conversions::toTruth(text(key));
}

std::optional<float> SettingsStore::twips(SettingKey key, float computedDefault) const
{
  if (!contains(key)) return computedDefault;
  return conversions::toTwips(text(key));
}

std::optional<float> SettingsStore::twips(SettingKey key) const
{
  return conversions::toTwips(text(key));
}

std::optional<bool> SettingsStore::ticked(SettingKey key) const
{
  const auto state = wholeNumber(key);
  if (!state) return std::nullopt;
  return *state == 1;
}

QString SettingsStore::siteHost() const
{
  const QString stored = text(SettingKey::SiteHost).trimmed();
  return stored.isEmpty() ? product::defaultSiteHost() : stored;
}

void SettingsStore::setText(SettingKey key, const QString &value)
{
  if (const auto held = heldForRun_.find(key); held != heldForRun_.end()) {
    *held = value;
    return;
  }
  write(settingName(key), value);
}

void SettingsStore::setWholeNumber(SettingKey key, qint64 value)
{
  setText(key, QString::number(value));
}

void SettingsStore::setTruth(SettingKey key, bool value)
{
  setText(key, conversions::fromTruth(value));
}

void SettingsStore::setTwips(SettingKey key, float value)
{
  setText(key, conversions::fromTwips(value));
}

void SettingsStore::setTicked(SettingKey key, bool value)
{
  setText(key, conversions::fromCheckState(value));
}

void SettingsStore::remove(SettingKey key)
{
  if (const auto held = heldForRun_.find(key); held != heldForRun_.end()) {
    *held = settingDefault(key);
    return;
  }
  settings_->remove(group + QLatin1Char('/') + settingName(key));
  settings_->sync();
}

void SettingsStore::holdForRun(SettingKey key, const QString &value)
{
  heldForRun_.insert(key, value);
}

QString SettingsStore::preset(int slot) const
{
  return read(presetKeyName(slot), presetDefault());
}

bool SettingsStore::setPreset(int slot, const QString &value)
{
  write(presetKeyName(slot), value);
  return settings_->status() == QSettings::NoError;
}

QString SettingsStore::fileName() const
{
  return settings_->fileName();
}

}  // namespace tessivar
