#include "scanner/ui/scanner_mpris.h"

#include "platform/transfer_state.h"
#include "scanner/scan_session.h"
#include "scanner/ui/scan_window.h"
#include "scanner/ui/scanner_mpris_adaptors.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace tessivar {

namespace {

const QString busName = QStringLiteral("org.mpris.MediaPlayer2.tessivar");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString noTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

}  // namespace

ScannerMpris::ScannerMpris(ScanWindow &window) : QObject(&window), window_(&window)
{
  new MprisRootAdaptor(*this, this);
  new MprisPlayerAdaptor(*this, this);

  ScanSession &session = window.session();
  connect(&session, &ScanSession::nowPlayingChanged, this, &ScannerMpris::onStationChanged);
  connect(&session, &ScanSession::stationPlayingChanged, this, &ScannerMpris::announceChanges);
  connect(&session, &ScanSession::streamTitleChanged, this, [this](const QString &title) {
    streamTitle_ = title;
    announceChanges();
  });
  connect(&session, &ScanSession::closed, this, &ScannerMpris::unregisterFromBus);
  registerOnBus();
}

ScannerMpris::~ScannerMpris()
{
  unregisterFromBus();
}

void ScannerMpris::registerOnBus()
{
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  if (!bus.registerObject(QString::fromLatin1(objectPath), this, QDBusConnection::ExportAdaptors)) return;
  // A second program already holds the name: the convention is a name of one's own below it.
  for (const QString &name : {busName, busName + QStringLiteral(".instance") +
                                           QString::number(QCoreApplication::applicationPid())}) {
    if (bus.registerService(name)) {
      serviceName_ = name;
      break;
    }
  }
  if (serviceName_.isEmpty()) {
    bus.unregisterObject(QString::fromLatin1(objectPath));
    return;
  }
  announced_ = changingProperties();
}

void ScannerMpris::unregisterFromBus()
{
  if (serviceName_.isEmpty()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterService(serviceName_);
  bus.unregisterObject(QString::fromLatin1(objectPath));
  serviceName_.clear();
}

// --- the state ------------------------------------------------------------------------------------

QString ScannerMpris::playbackStatus() const
{
  if (!window_) return QStringLiteral("Stopped");
  ScanSession &session = window_->session();
  if (session.isClosing() || !session.isStationPlaying()) return QStringLiteral("Stopped");
  return session.isPaused() ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QVariantMap ScannerMpris::metadata() const
{
  if (!window_ || window_->session().stationAddress().isEmpty())
    return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(noTrack))}};
  const ScanSession &session = window_->session();
  const QString name = session.stationName();
  QVariantMap data{{QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/tessivar/scanner/station/") +
                                                        QString::number(stationNumber_)))},
                   {QStringLiteral("xesam:url"), session.stationAddress()},
                   // The stream's own title when it sends one, else the station's name.
                   {QStringLiteral("xesam:title"), streamTitle_.isEmpty() ? name : streamTitle_}};
  if (!name.isEmpty()) data.insert(QStringLiteral("xesam:artist"), QStringList{name});
  return data;
}

bool ScannerMpris::canGoNext() const
{
  if (!window_ || window_->session().isClosing()) return false;
  ScanSession &session = window_->session();
  return session.isPlaylistMode() ? session.isPlaylistRunning() : !session.stationAddress().isEmpty();
}

bool ScannerMpris::canGoPrevious() const
{
  if (!window_ || window_->session().isClosing()) return false;
  ScanSession &session = window_->session();
  return session.isPlaylistMode() && session.isPlaylistRunning();
}

bool ScannerMpris::canPause() const
{
  // The scan's countdown stands still while paused; a playlist has no pause.
  if (!window_) return false;
  ScanSession &session = window_->session();
  return !session.isClosing() && !session.isPlaylistMode() && session.isStationPlaying();
}

// --- the commands ---------------------------------------------------------------------------------

void ScannerMpris::play()
{
  if (canPlay() && window_->session().isPaused()) window_->session().togglePause();
}

void ScannerMpris::pause()
{
  if (canPause() && !window_->session().isPaused()) window_->session().togglePause();
}

void ScannerMpris::playPause()
{
  if (canPause()) window_->session().togglePause();
}

void ScannerMpris::next()
{
  if (!canGoNext()) return;
  ScanSession &session = window_->session();
  if (session.isPlaylistMode())
    session.nextEntry();
  else
    session.next();
}

void ScannerMpris::previous()
{
  if (canGoPrevious()) window_->session().previousEntry();
}

void ScannerMpris::stop()
{
  // As the scanner's Quit: every wait ends and the window closes.
  if (!window_) return;
  window_->session().transferState().setStopRequested(true);
  window_->close();
}

void ScannerMpris::raise()
{
  if (!window_) return;
  window_->show();
  window_->raise();
  window_->activateWindow();
}

// --- what changed ---------------------------------------------------------------------------------

void ScannerMpris::onStationChanged()
{
  if (!window_) return;
  const ScanSession &session = window_->session();
  if (session.stationAddress() != lastAddress_ || session.stationName() != lastName_) {
    lastAddress_ = session.stationAddress();
    lastName_ = session.stationName();
    ++stationNumber_;
  }
  announceChanges();
}

QVariantMap ScannerMpris::changingProperties() const
{
  return {{QStringLiteral("PlaybackStatus"), playbackStatus()},
          {QStringLiteral("Metadata"), metadata()},
          {QStringLiteral("CanGoNext"), canGoNext()},
          {QStringLiteral("CanGoPrevious"), canGoPrevious()},
          {QStringLiteral("CanPlay"), canPlay()},
          {QStringLiteral("CanPause"), canPause()}};
}

void ScannerMpris::announceChanges()
{
  if (serviceName_.isEmpty()) return;
  const QVariantMap now = changingProperties();
  QVariantMap changed;
  for (auto it = now.cbegin(); it != now.cend(); ++it) {
    if (announced_.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  }
  announced_ = now;
  if (changed.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(objectPath),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << playerInterface << changed << QStringList();
  QDBusConnection::sessionBus().send(signal);
}

}  // namespace tessivar
