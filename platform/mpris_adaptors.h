#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

namespace tessivar {

class MprisSource;

// org.mpris.MediaPlayer2: who the player is, Raise and Quit.
class MprisRootAdaptor final : public QDBusAbstractAdaptor
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(MprisRootAdaptor)
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ canQuit)
  Q_PROPERTY(bool CanRaise READ canRaise)
  Q_PROPERTY(bool HasTrackList READ hasTrackList)
  Q_PROPERTY(QString Identity READ identity)
  Q_PROPERTY(QString DesktopEntry READ desktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

 public:
  MprisRootAdaptor(MprisSource &player, QObject *parent);

  bool canQuit() const { return true; }
  bool canRaise() const { return true; }
  bool hasTrackList() const { return false; }
  QString identity() const;
  QString desktopEntry() const;
  QStringList supportedUriSchemes() const { return {}; }
  QStringList supportedMimeTypes() const { return {}; }

 public slots:
  void Raise();
  void Quit();

 private:
  MprisSource &player_;
};

// org.mpris.MediaPlayer2.Player: the station now playing and the player's buttons. Streams are
// neither sought nor played at another rate: those are fixed and their setters ignored.
class MprisPlayerAdaptor final : public QDBusAbstractAdaptor
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(MprisPlayerAdaptor)
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
  Q_PROPERTY(double Rate READ rate WRITE setRate)
  Q_PROPERTY(QVariantMap Metadata READ metadata)
  Q_PROPERTY(double Volume READ volume WRITE setVolume)
  Q_PROPERTY(qlonglong Position READ position)
  Q_PROPERTY(double MinimumRate READ rate)
  Q_PROPERTY(double MaximumRate READ rate)
  Q_PROPERTY(bool CanGoNext READ canGoNext)
  Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
  Q_PROPERTY(bool CanPlay READ canPlay)
  Q_PROPERTY(bool CanPause READ canPause)
  Q_PROPERTY(bool CanSeek READ canSeek)
  Q_PROPERTY(bool CanControl READ canControl)

 public:
  MprisPlayerAdaptor(MprisSource &player, QObject *parent);

  QString playbackStatus() const;
  double rate() const { return 1.0; }
  void setRate(double) {}
  QVariantMap metadata() const;
  double volume() const;
  void setVolume(double volume);
  qlonglong position() const { return 0; }
  bool canGoNext() const;
  bool canGoPrevious() const;
  bool canPlay() const;
  bool canPause() const;
  bool canSeek() const { return false; }
  bool canControl() const { return true; }

 public slots:
  void Next();
  void Previous();
  void Pause();
  void PlayPause();
  void Stop();
  void Play();
  void Seek(qlonglong) {}
  void SetPosition(const QDBusObjectPath &, qlonglong) {}
  void OpenUri(const QString &) {}

 signals:
  void Seeked(qlonglong position);

 private:
  MprisSource &player_;
};

}  // namespace tessivar
