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
