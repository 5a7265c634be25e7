#pragma once

#include "platform/embedded_player.h"

#include <QObject>
#include <QString>

namespace tessivar {

// The main window's own player: one stream at a time through the embedded engine, with the
// station's name, the stream's title and a state in words. The player is made at the first play.
class BuiltInPlayer final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(BuiltInPlayer)

 public:
  explicit BuiltInPlayer(EmbeddedPlayerEngine &engine, QObject *parent = nullptr);

  // Plays the address in place of anything before it; false when the engine cannot be made.
  bool play(const QString &url, const QString &stationName);
  void togglePause();
  void stop();
  void setVolume(int percent);
  void setMuted(bool muted);
  void setProxy(bool enabled, const QString &host, int port);
  // Saves what plays into the file (empty: stops saving); false when nothing plays or the engine
  // refuses the file.
  bool setRecordingFile(const QString &path);

  [[nodiscard]] EmbeddedPlayState state() const;
  // Connecting, buffering, playing or paused.
  [[nodiscard]] bool isActive() const;
  [[nodiscard]] const QString &url() const { return url_; }
  [[nodiscard]] const QString &stationName() const { return stationName_; }
  [[nodiscard]] QString streamTitle() const;
  [[nodiscard]] int volume() const { return volume_; }
  [[nodiscard]] bool muted() const { return muted_; }
  [[nodiscard]] const QString &recordingFile() const { return recordingFile_; }
  // "Connecting…", "Buffering NN%", "Playing", "Paused", "Stopped", "No audio output", or why the
  // stream could not be played.
  [[nodiscard]] QString stateText() const;

 signals:
  void changed();
  // A stream title, each time it changes to a new one.
  void titleHeard(const QString &stationName, const QString &url, const QString &title);

 private:
  void onPlayerChanged();

  EmbeddedPlayerEngine &engine_;
  EmbeddedPlayer *player_ = nullptr;
  QString url_;
  QString stationName_;
  QString lastTitle_;
  QString recordingFile_;
  int volume_ = 100;
  bool muted_ = false;
  bool proxyEnabled_ = false;
  QString proxyHost_;
  int proxyPort_ = 0;
};

}  // namespace tessivar
