#include "platform/mpris_service.h"

#include "platform/mpris_adaptors.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace tessivar {

namespace {

const QString busName = QStringLiteral("org.mpris.MediaPlayer2.tessivar");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString noTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

}  // namespace

QVariantMap mprisStreamMetadata(const QString &trackPath, const QString &url, const QString &stationName,
                                const QString &streamTitle)
{
  if (url.isEmpty())
    return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(noTrack))}};
  QVariantMap data{{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackPath))},
                   {QStringLiteral("xesam:url"), url},
                   {QStringLiteral("xesam:title"), streamTitle.isEmpty() ? stationName : streamTitle}};
  if (!stationName.isEmpty()) data.insert(QStringLiteral("xesam:album"), stationName);
  const qsizetype dash = streamTitle.indexOf(QStringLiteral(" - "));
  if (dash > 0 && dash + 3 < streamTitle.size())
    data.insert(QStringLiteral("xesam:artist"), QStringList{streamTitle.left(dash).trimmed()});
  return data;
}

MprisService::MprisService(MprisSource &source) : QObject(&source), source_(source)
{
  new MprisRootAdaptor(source, this);
  new MprisPlayerAdaptor(source, this);
  connect(&source_, &MprisSource::changed, this, &MprisService::announceChanges);
}

MprisService::~MprisService()
{
  setRegistered(false);
}

void MprisService::setRegistered(bool registered)
{
  if (registered == !serviceName_.isEmpty()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!registered) {
    bus.unregisterService(serviceName_);
    bus.unregisterObject(QString::fromLatin1(objectPath));
    serviceName_.clear();
    return;
  }
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

QVariantMap MprisService::changingProperties() const
{
  return {{QStringLiteral("PlaybackStatus"), source_.playbackStatus()},
          {QStringLiteral("Metadata"), source_.metadata()},
          {QStringLiteral("Volume"), source_.volume()},
          {QStringLiteral("CanGoNext"), source_.canGoNext()},
          {QStringLiteral("CanGoPrevious"), source_.canGoPrevious()},
          {QStringLiteral("CanPlay"), source_.canPlay()},
          {QStringLiteral("CanPause"), source_.canPause()}};
}

void MprisService::announceChanges()
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
