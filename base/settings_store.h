#pragma once

#include "base/setting_key.h"
#include "base/settings_file_repair.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace tessivar {

// The program's per-user store of named text values (organisation "Tessivar", application
// "Tessivar! Broadcast", group "Settings"). Every read supplies the key's default; every write
// stores text and reaches the disk at once. Typed reads return no value when the stored text
// does not convert, so the caller keeps what is in force. A file that cannot be read whole is
// kept beside itself and repaired when the store opens it, before anything is written.
class SettingsStore final
{
 public:
  // The user's own store.
  SettingsStore();
  // A store kept in the given INI file (tests and tools).
  explicit SettingsStore(const QString &iniFile);
  ~SettingsStore();
  SettingsStore(const SettingsStore &) = delete;
  SettingsStore &operator=(const SettingsStore &) = delete;

  bool contains(SettingKey key) const;
  // The stored text, or the key's default text when absent.
  QString text(SettingKey key) const;
  std::optional<qint32> wholeNumber(SettingKey key) const;
  std::optional<bool> truth(SettingKey key) const;
  // Geometry in twips; computedDefault stands in when the key is absent (window positions).
  std::optional<float> twips(SettingKey key, float computedDefault) const;
  std::optional<float> twips(SettingKey key) const;
  // A check box key: ticked only when its value is exactly 1. Unconvertible text gives no value.
  std::optional<bool> ticked(SettingKey key) const;
  // The maker's web site host: "SiteHost", or the built-in host when that is empty.
  QString siteHost() const;

  void setText(SettingKey key, const QString &value);
  void setWholeNumber(SettingKey key, qint64 value);
  void setTruth(SettingKey key, bool value);
  void setTwips(SettingKey key, float value);
  void setTicked(SettingKey key, bool value);
  void remove(SettingKey key);

  QString preset(int slot) const;
  // False when the store could not be written (the file is read-only, the disk is full, ...).
  // A store that failed once keeps answering false.
  bool setPreset(int slot, const QString &value);

  // Gives the key a value for this run only (a command-line choice): reads see it, and writes and
  // removals of the key change it instead of the file, which keeps the user's own value.
  void holdForRun(SettingKey key, const QString &value);

  QString fileName() const;
  // What opening the store did to a file it could not read whole (see repairUnreadKeys).
  const SettingsRepair &repairAtOpen() const { return repair_; }

 private:
  QString read(const QString &name, const QString &defaultText) const;
  void write(const QString &name, const QString &value);

  std::unique_ptr<QSettings> settings_;
  SettingsRepair repair_;
  QHash<SettingKey, QString> heldForRun_;
};

}  // namespace tessivar
