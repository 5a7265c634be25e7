#include "platform/stream_address.h"

#include <QUrl>

namespace tessivar {

bool isStreamAddress(const QString &address)
{
  if (address.size() > maximumStreamAddressLength) return false;
  for (const QChar c : address) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.isSpace()) return false;
  }
  const QUrl url(address, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty()) return false;
  const QString scheme = url.scheme().toLower();
  for (const char *allowed : {"http", "https", "mms", "mmsh", "mmst", "rtsp"}) {
    if (scheme == QLatin1String(allowed)) return true;
  }
  return false;
}

}  // namespace tessivar
