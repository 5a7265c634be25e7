#include "platform/process_starter.h"

#include <QProcess>

namespace tessivar {

bool DetachedProcessStarter::start(const QString &program, const QStringList &arguments)
{
  if (program.isEmpty()) return false;
  return QProcess::startDetached(program, arguments);
}

}  // namespace tessivar
