#pragma once

#include "base/search_choices.h"
#include "base/setting_key.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

namespace tessivar {

class SettingsStore;

// The players whose program paths the setup dialog shows, one per player tab.
enum class SetupPlayer { Real, Media, StreamWorks };

// One format choice: its setting key and the value in force it fills.
struct SetupFormatBox
{
  SettingKey key;
  int FormatBoxes::*box;
};

// The 13 format choices.
const std::array<SetupFormatBox, 13> &setupFormatBoxes();
// The 13 format keys in the order OK stores them.
const std::array<SettingKey, 13> &setupFormatStoreOrder();

// The live holder of the setup choices for the whole run: the format boxes, the two options, the
// search limits, the player paths, the proxy in force and the last tab shown. The setup dialog is
// a view over it; the main window and the search read it.
class ProgramOptions final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ProgramOptions)

 public:
  explicit ProgramOptions(SettingsStore &store, QObject *parent = nullptr);

  // The dialog's load: connection speed, proxy box texts, limit boxes (through their change
  // rules), the 13 format boxes, "Tray", "ChkBrow" and "BuiltInPlayer". Player paths, the proxy in force and
  // the last tab are left alone.
  void load();
  // Start-up: the proxy in force from "ProxyHost" and "ProxyPort". An unconvertible port keeps
  // the port in force.
  void loadProxy();

  // --- values in force ---
  FormatBoxes formats;
  QString connectionSpeed;
  int minBitRate = 0;  // kbps, 0 = no limit
  int minLength = 0;   // minutes, 0 = no limit
  bool chkTray = false;
  bool chkBrow = false;
  // Streams play in the program's own player instead of the external players.
  bool builtInPlayer = false;
  QString proxyHost;
  int proxyPort = 0;  // until loadProxy(); an unconvertible stored port keeps it
  // The setup dialog's page shown last in this run, as the dialog numbers its pages.
  int lastSetupTab = 0;

  QString playerPath(SetupPlayer player) const;
  void setPlayerPath(SetupPlayer player, const QString &path);
  QString realPlayerCommand() const { return playerPath(SetupPlayer::Real); }
  QString mediaPlayerCommand() const { return playerPath(SetupPlayer::Media); }
  QString streamWorksCommand() const { return playerPath(SetupPlayer::StreamWorks); }

  // --- the dialog's box texts, with their change rules ---
  QString bitRateText() const { return bitRateText_; }
  QString lengthText() const { return lengthText_; }
  QString proxyHostText() const { return proxyHostText_; }
  QString proxyPortText() const { return proxyPortText_; }
  // A text whose number value is 0 empties the box; minBitRate follows. Returns the box's text.
  QString setBitRateText(const QString &text);
  // minLength follows the text; an empty box gives 0.
  void setLengthText(const QString &text);
  void setProxyHostText(const QString &text) { proxyHostText_ = text; }
  void setProxyPortText(const QString &text) { proxyPortText_ = text; }

  // A pick from the connection list; "Select Connection" is ignored.
  void pickConnection(const QString &choice);
  // The options are stored at once.
  void setTray(bool ticked);
  void setBrow(bool ticked);
  void setBuiltInPlayer(bool on);
  void setFormatBox(SettingKey key, int state);
  int formatBox(SettingKey key) const;

  // True when the proxy boxes differ from the stored proxy (the restart message is due).
  bool proxyEdited() const;
  // OK: the proxy (when edited, also put in force), the limits, the format boxes, the player
  // paths and the connection speed, in that order.
  void store();

  // Players' names on the file dialog, by tab.
  static QString playerName(SetupPlayer player);

 signals:
  void changed();

 private:
  SettingsStore &store_;
  std::array<QString, 3> playerPaths_;
  QString bitRateText_;
  QString lengthText_;
  QString proxyHostText_;
  QString proxyPortText_;
};

}  // namespace tessivar
