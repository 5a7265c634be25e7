#include "platform/shell_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace tessivar {

bool DesktopShellOpener::open(const QString &target)
{
  const QUrl url = QUrl::fromUserInput(target);
  if (!url.isValid() || target.trimmed().isEmpty()) return false;
  return QDesktopServices::openUrl(url);
}

}  // namespace tessivar
