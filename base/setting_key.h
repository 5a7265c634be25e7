#pragma once

#include <QString>

namespace tessivar {

// Every key the program keeps in its settings store (group "Settings"). The ten preset keys
// "Preset0" … "Preset9" are addressed by slot number through presetKeyName().
enum class SettingKey {
  Width,
  Height,
  Top,
  Left,
  QHShow,
  EMR,
  Email,
  LastQueryServer,
  SiteHost,
  ProxyHost,
  ProxyPort,
  OptLive,
  OptArch,
  OptLib,
  LastSearch,
  ConSpeed,
  MinBPS,
  MinT,
  ChkRA,
  ChkNA,
  ChkMA,
  ChkRV,
  ChkNV,
  ChkMPEG,
  ChkAV,
  ChkWA,
  ChkXDM,
  ChkAVF,
  ChkWAVF,
  ChkMAF,
  ChkNF,
  Tray,
  ChkBrow,
  Real,
  Netshow,
  StreamWorks,
  WTop,
  WLeft,
  WWidth,
  WHeight,
  LastScan,
  LastFind,
  BuiltInPlayer,
};

// The key's name as stored, exactly as the program has always spelled it.
QString settingName(SettingKey key);
// The text a read returns when the key is absent. Empty for keys whose default is computed by the
// reader (window positions) or that have none.
QString settingDefault(SettingKey key);

inline constexpr int presetSlotCount = 10;
// The character that separates a preset's name from its address (code 255).
inline constexpr QChar presetSeparator{0x00FF};
// "Preset" followed by the slot number 0 … 9.
QString presetKeyName(int slot);
// The preset value of an empty slot: the drag-and-drop hint, the separator, "NONE".
QString presetDefault();

}  // namespace tessivar
