#include "base/program_options.h"

#include "base/number_value.h"
#include "base/settings_store.h"

namespace tessivar {

namespace {

// A stored box state: 0, 1 or 2 (grey); any other text leaves the state in force.
void readBox(const SettingsStore &store, SettingKey key, int &state)
{
  const auto value = store.wholeNumber(key);
  if (value && *value >= 0 && *value <= 2) state = *value;
}

std::size_t playerIndex(SetupPlayer player)
{
  return static_cast<std::size_t>(player);
}

}  // namespace

const std::array<SetupFormatBox, 13> &setupFormatBoxes()
{
  static const std::array<SetupFormatBox, 13> boxes{{
      {SettingKey::ChkRA, &FormatBoxes::chkRA},
      {SettingKey::ChkRV, &FormatBoxes::chkRV},
      {SettingKey::ChkXDM, &FormatBoxes::chkXDM},
      {SettingKey::ChkNA, &FormatBoxes::chkNA},
      {SettingKey::ChkNV, &FormatBoxes::chkNV},
      {SettingKey::ChkMA, &FormatBoxes::chkMA},
      {SettingKey::ChkWA, &FormatBoxes::chkWA},
      {SettingKey::ChkAV, &FormatBoxes::chkAV},
      {SettingKey::ChkMPEG, &FormatBoxes::chkMPEG},
      {SettingKey::ChkNF, &FormatBoxes::chkNF},
      {SettingKey::ChkMAF, &FormatBoxes::chkMAF},
      {SettingKey::ChkAVF, &FormatBoxes::chkAVF},
      {SettingKey::ChkWAVF, &FormatBoxes::chkWAVF},
  }};
  return boxes;
}

const std::array<SettingKey, 13> &setupFormatStoreOrder()
{
  static const std::array<SettingKey, 13> order{
      SettingKey::ChkRA,   SettingKey::ChkNA,  SettingKey::ChkMA,   SettingKey::ChkRV,  SettingKey::ChkNV,
      SettingKey::ChkMPEG, SettingKey::ChkAVF, SettingKey::ChkWAVF, SettingKey::ChkMAF, SettingKey::ChkNF,
      SettingKey::ChkWA,   SettingKey::ChkAV,  SettingKey::ChkXDM,
  };
  return order;
}

ProgramOptions::ProgramOptions(SettingsStore &store, QObject *parent) : QObject(parent), store_(store)
{
  // A freshly made holder shows the boxes' own defaults until it is loaded.
  for (const SetupFormatBox &box : setupFormatBoxes()) {
    formats.*box.box = settingDefault(box.key) == QStringLiteral("1") ? 1 : 0;
  }
}

void ProgramOptions::load()
{
  connectionSpeed = store_.text(SettingKey::ConSpeed);
  proxyHostText_ = store_.text(SettingKey::ProxyHost);
  proxyPortText_ = store_.text(SettingKey::ProxyPort);
  setBitRateText(store_.text(SettingKey::MinBPS));
  setLengthText(store_.text(SettingKey::MinT));
  for (const SetupFormatBox &box : setupFormatBoxes()) readBox(store_, box.key, formats.*box.box);
  int tray = chkTray ? 1 : 0;
  int brow = chkBrow ? 1 : 0;
  readBox(store_, SettingKey::Tray, tray);
  readBox(store_, SettingKey::ChkBrow, brow);
  chkTray = tray == 1;
  chkBrow = brow == 1;
  // Anything but a readable truth leaves the choice in force.
  builtInPlayer = store_.truth(SettingKey::BuiltInPlayer).value_or(builtInPlayer);
  emit changed();
}

void ProgramOptions::loadProxy()
{
  proxyHost = store_.text(SettingKey::ProxyHost);
  if (const auto port = store_.wholeNumber(SettingKey::ProxyPort)) proxyPort = *port;
  emit changed();
}

QString ProgramOptions::playerPath(SetupPlayer player) const
{
  return playerPaths_[playerIndex(player)];
}

void ProgramOptions::setPlayerPath(SetupPlayer player, const QString &path)
{
  playerPaths_[playerIndex(player)] = path;
  emit changed();
}

QString ProgramOptions::setBitRateText(const QString &text)
{
  bitRateText_ = numberValue(text) == 0 ? QString() : text;
  minBitRate = wholeNumberValue(bitRateText_);
  emit changed();
  return bitRateText_;
}

void ProgramOptions::setLengthText(const QString &text)
{
  lengthText_ = text;
  minLength = wholeNumberValue(text);
  emit changed();
}

void ProgramOptions::pickConnection(const QString &choice)
{
  if (choice == QStringLiteral("Select Connection")) return;
  connectionSpeed = choice;
  emit changed();
}

void ProgramOptions::setTray(bool ticked)
{
  chkTray = ticked;
  store_.setTicked(SettingKey::Tray, ticked);
  emit changed();
}

void ProgramOptions::setBrow(bool ticked)
{
  chkBrow = ticked;
  store_.setTicked(SettingKey::ChkBrow, ticked);
  emit changed();
}

void ProgramOptions::setBuiltInPlayer(bool on)
{
  builtInPlayer = on;
  store_.setTruth(SettingKey::BuiltInPlayer, on);
  emit changed();
}

void ProgramOptions::setFormatBox(SettingKey key, int state)
{
  for (const SetupFormatBox &box : setupFormatBoxes()) {
    if (box.key == key) {
      formats.*box.box = state;
      emit changed();
      return;
    }
  }
}

int ProgramOptions::formatBox(SettingKey key) const
{
  for (const SetupFormatBox &box : setupFormatBoxes()) {
    if (box.key == key) return formats.*box.box;
  }
  return 0;
}

bool ProgramOptions::proxyEdited() const
{
  return proxyHostText_ != store_.text(SettingKey::ProxyHost) ||
         proxyPortText_ != store_.text(SettingKey::ProxyPort);
}

void ProgramOptions::store()
{
  if (proxyEdited()) {
    store_.setText(SettingKey::ProxyHost, proxyHostText_);
    store_.setText(SettingKey::ProxyPort, proxyPortText_);
    proxyHost = proxyHostText_;
    proxyPort = wholeNumberValue(proxyPortText_.trimmed());
  }
  store_.setText(SettingKey::MinBPS, bitRateText_);
  store_.setText(SettingKey::MinT, lengthText_);
  for (SettingKey key : setupFormatStoreOrder()) store_.setWholeNumber(key, formatBox(key));
  store_.setText(SettingKey::Real, realPlayerCommand());
  store_.setText(SettingKey::StreamWorks, streamWorksCommand());
  store_.setText(SettingKey::Netshow, mediaPlayerCommand());
  store_.setText(SettingKey::ConSpeed, connectionSpeed);
  emit changed();
}

QString ProgramOptions::playerName(SetupPlayer player)
{
  switch (player) {
    case SetupPlayer::Real:
      return QStringLiteral("RealAudio Player");
    case SetupPlayer::Media:
      return QStringLiteral("Windows Media Player");
    case SetupPlayer::StreamWorks:
      return QStringLiteral("StreamWorks Player");
  }
  return {};
}

}  // namespace tessivar
