#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

namespace tessivar {

class ScanWindow;

// The scanner as a media player on the session bus (MPRIS: org.mpris.MediaPlayer2 and its
// Player interface) while its window is open, so the desktop's media keys and sound menu can see
// and steer it. Registered when made, unregistered when the window closes. Play, Pause and
// PlayPause are the scanner's Pause and Resume, Next and Previous its own, Stop and Quit close it.
class ScannerMpris final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ScannerMpris)

 public:
  static constexpr const char *objectPath = "/org/mpris/MediaPlayer2";

  // A child of the window; registers at once when a session bus is there.
  explicit ScannerMpris(ScanWindow &window);
  ~ScannerMpris() override;

  // The bus name held ("org.mpris.MediaPlayer2.tessivar", or with ".instanceN" when another
  // program holds that); empty when not registered.
  QString serviceName() const { return serviceName_; }

  // --- what the interfaces read --------------------------------------------------------------------
  QString playbackStatus() const;
  QVariantMap metadata() const;
  bool canGoNext() const;
  bool canGoPrevious() const;
  bool canPause() const;
  bool canPlay() const { return canPause(); }

  // --- what they ask -------------------------------------------------------------------------------
  void play();
  void pause();
  void playPause();
  void next();
  void previous();
  void stop();
  void raise();

 private:
  void registerOnBus();
  void unregisterFromBus();
  // The Player properties that change as the scan goes on.
  QVariantMap changingProperties() const;
  // Sends PropertiesChanged for what changed since the last call.
  void announceChanges();
  void onStationChanged();

  QPointer<ScanWindow> window_;
  QString serviceName_;
  QString streamTitle_;
  int stationNumber_ = 0;
  QString lastAddress_;
  QString lastName_;
  QVariantMap announced_;
};

}  // namespace tessivar
