#include "platform/process_starter.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>

#include <sys/prctl.h>

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

QProcess *DetachedProcessStarter::startChild(const QString &program, const QStringList &arguments,
                                             QObject *parent)
{
  return startOwnedChild(program, arguments, parent);
}

QProcess *startOwnedChild(const QString &program, const QStringList &arguments, QObject *parent)
{
  auto *process = new QProcess(parent);
  // Even when this program is killed, the child does not go on alone.
  process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  process->start(program, arguments, QIODevice::ReadOnly);
  return process;
}

}  // namespace tessivar
