#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace tessivar {

// What a player of the program shows on the session bus as an MPRIS media player and what the bus
// may ask of it. changed() after any of the shown values changed.
class MprisSource : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(MprisSource)

 public:
  using QObject::QObject;

  // "Playing", "Paused" or "Stopped".
  [[nodiscard]] virtual QString playbackStatus() const = 0;
  [[nodiscard]] virtual QVariantMap metadata() const = 0;
  [[nodiscard]] virtual bool canGoNext() const { return false; }
  [[nodiscard]] virtual bool canGoPrevious() const { return false; }
  [[nodiscard]] virtual bool canPause() const = 0;
  [[nodiscard]] virtual bool canPlay() const { return canPause(); }
  // 0 to 1; a source without a volume of its own leaves it at 1 and ignores changes.
  [[nodiscard]] virtual double volume() const { return 1.0; }

  virtual void play() = 0;
  virtual void pause() = 0;
  virtual void playPause() = 0;
  virtual void next() {}
  virtual void previous() {}
  virtual void stop() = 0;
  virtual void raise() = 0;
  virtual void setVolume(double) {}

 signals:
  void changed();
};

// The MPRIS metadata of a stream: its title as xesam:title (the station's name while it sends
// none), the artist when the title reads "Artist - Title", the station's name as the album, and
// the address; trackPath names the station (a D-Bus object path).
QVariantMap mprisStreamMetadata(const QString &trackPath, const QString &url, const QString &stationName,
                                const QString &streamTitle);

// A source on the session bus (org.mpris.MediaPlayer2 and its Player interface) while registered:
// the desktop's media keys and sound menu see and steer it. Changes are announced with
// PropertiesChanged.
class MprisService final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(MprisService)

 public:
  static constexpr const char *objectPath = "/org/mpris/MediaPlayer2";

  explicit MprisService(MprisSource &source);
  ~MprisService() override;

  // Holds the bus name ("org.mpris.MediaPlayer2.tessivar", or with ".instanceN" when another
  // program holds that) or lets it go; nothing happens without a session bus.
  void setRegistered(bool registered);
  [[nodiscard]] QString serviceName() const { return serviceName_; }
  [[nodiscard]] MprisSource &source() const { return source_; }

 private:
  QVariantMap changingProperties() const;
  void announceChanges();

  MprisSource &source_;
  QString serviceName_;
  QVariantMap announced_;
};

}  // namespace tessivar
