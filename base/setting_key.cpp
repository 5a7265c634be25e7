#include "base/setting_key.h"

#include <array>
#include <utility>

namespace tessivar {

namespace {

struct KeyInfo
{
  SettingKey key;
  const char *name;
  const char *defaultText;
};

// The one table of stored keys and their defaults.
constexpr std::array keyTable{
    KeyInfo{SettingKey::Width, "Width", "1000"},
    KeyInfo{SettingKey::Height, "Height", "1000"},
    KeyInfo{SettingKey::Top, "Top", ""},
    KeyInfo{SettingKey::Left, "Left", ""},
    KeyInfo{SettingKey::QHShow, "QHShow", ""},
    KeyInfo{SettingKey::EMR, "EMR", "0"},
    KeyInfo{SettingKey::Email, "Email", ""},
    KeyInfo{SettingKey::LastQueryServer, "LastQueryServer", ""},
    KeyInfo{SettingKey::SiteHost, "SiteHost", ""},
    KeyInfo{SettingKey::ProxyHost, "ProxyHost", ""},
    KeyInfo{SettingKey::ProxyPort, "ProxyPort", "1080"},
    KeyInfo{SettingKey::OptLive, "optLive", "True"},
    KeyInfo{SettingKey::OptArch, "optArch", "False"},
    KeyInfo{SettingKey::OptLib, "optLib", "False"},
    KeyInfo{SettingKey::LastSearch, "LastSearch", ""},
    KeyInfo{SettingKey::ConSpeed, "ConSpeed", "All Connections"},
    KeyInfo{SettingKey::MinBPS, "MinBPS", ""},
    KeyInfo{SettingKey::MinT, "MinT", ""},
    KeyInfo{SettingKey::ChkRA, "chkRA", "1"},
    KeyInfo{SettingKey::ChkNA, "chkNA", "1"},
    KeyInfo{SettingKey::ChkMA, "chkMA", "1"},
    KeyInfo{SettingKey::ChkRV, "chkRV", "1"},
    KeyInfo{SettingKey::ChkNV, "chkNV", "1"},
    KeyInfo{SettingKey::ChkMPEG, "chkMPEG", "1"},
    KeyInfo{SettingKey::ChkAV, "chkAV", "1"},
    KeyInfo{SettingKey::ChkWA, "chkWA", "1"},
    KeyInfo{SettingKey::ChkXDM, "chkXDM", "1"},
    KeyInfo{SettingKey::ChkAVF, "chkAVF", "0"},
    KeyInfo{SettingKey::ChkWAVF, "chkWAVF", "0"},
    KeyInfo{SettingKey::ChkMAF, "chkMAF", "0"},
    KeyInfo{SettingKey::ChkNF, "chkNF", "0"},
    KeyInfo{SettingKey::Tray, "Tray", "0"},
    KeyInfo{SettingKey::ChkBrow, "ChkBrow", "0"},
    KeyInfo{SettingKey::Real, "Real", ""},
    KeyInfo{SettingKey::Netshow, "Netshow", ""},
    KeyInfo{SettingKey::StreamWorks, "StreamWorks", ""},
    KeyInfo{SettingKey::WTop, "WTop", ""},
    KeyInfo{SettingKey::WLeft, "WLeft", ""},
    KeyInfo{SettingKey::WWidth, "WWidth", "3885"},
    KeyInfo{SettingKey::WHeight, "WHeight", "3000"},
    KeyInfo{SettingKey::LastScan, "LastScan", "0@*All Stations"},
    KeyInfo{SettingKey::LastFind, "LastFind", ""},
    KeyInfo{SettingKey::BuiltInPlayer, "BuiltInPlayer", "False"},
};

constexpr bool tableFollowsEnum()
{
  for (std::size_t i = 0; i < keyTable.size(); ++i) {
    if (static_cast<std::size_t>(keyTable[i].key) != i) return false;
  }
  return keyTable.size() == static_cast<std::size_t>(SettingKey::BuiltInPlayer) + 1;
}
static_assert(tableFollowsEnum(), "keyTable must list every SettingKey in declaration order");

const KeyInfo &info(SettingKey key)
{
  return keyTable[static_cast<std::size_t>(key)];
}

}  // namespace

QString settingName(SettingKey key)
{
  return QString::fromLatin1(info(key).name);
}

QString settingDefault(SettingKey key)
{
  return QString::fromLatin1(info(key).defaultText);
}

QString presetKeyName(int slot)
{
  return QStringLiteral("Preset") + QString::number(slot);
}

QString presetDefault()
{
  return QStringLiteral("Drag and Drop station listing here while holding Shift Key") + presetSeparator +
         QStringLiteral("NONE");
}

}  // namespace tessivar
