#include "platform/embedded_player.h"

#include "platform/mpv_player.h"

#include <QUrl>

#include <mpv/client.h>

#include <clocale>

namespace tessivar {

namespace {

// libmpv refuses to start unless numbers are read and written the C way.
void useCNumbers()
{
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace

bool isStreamAddress(const QString &address)
{
  const QUrl url(address, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty()) return false;
  const QString scheme = url.scheme().toLower();
  for (const char *allowed : {"http", "https", "mms", "mmsh", "mmst", "rtsp"}) {
    if (scheme == QLatin1String(allowed)) return true;
  }
  return false;
}

bool MpvPlayerEngine::available()
{
  useCNumbers();
  mpv_handle *player = mpv_create();
  if (player == nullptr) return false;
  mpv_terminate_destroy(player);
  return true;
}

EmbeddedPlayer *MpvPlayerEngine::createPlayer(QObject *parent)
{
  useCNumbers();
  return MpvPlayer::create(settings_, parent);
}

}  // namespace tessivar
