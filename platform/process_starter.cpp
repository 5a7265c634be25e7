#include "platform/process_starter.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tessivar {

QString DetachedProcessStarter::findProgram(const QString &program) const
{
  if (program.isEmpty()) return {};
  if (!program.contains(QLatin1Char('/'))) return QStandardPaths::findExecutable(program);
  const QFileInfo file(program);
  if (!file.isFile() || !file.isExecutable()) return {};
  return file.absoluteFilePath();
}

bool DetachedProcessStarter::start(const QString &program, const QStringList &arguments)
{
  if (program.isEmpty()) return false;
  return QProcess::startDetached(program, arguments);
}

}  // namespace tessivar
