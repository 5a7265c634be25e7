#include "platform/embedded_player.h"

#include <mpv/client.h>

namespace tessivar {

bool MpvPlayerEngine::available()
{
  mpv_handle *player = mpv_create();
  if (player == nullptr) return false;
  mpv_terminate_destroy(player);
  return true;
}

}  // namespace tessivar
