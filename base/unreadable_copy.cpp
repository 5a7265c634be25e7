#include "base/unreadable_copy.h"

#include <QFileInfo>

namespace tessivar {

QString unreadableCopyName(const QString &path)
{
  const QString base = path + QStringLiteral(".unreadable");
  QString candidate = base;
  for (int n = 1; QFileInfo::exists(candidate); ++n) candidate = base + QLatin1Char('.') + QString::number(n);
  return candidate;
}

}  // namespace tessivar
