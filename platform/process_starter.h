#pragma once

#include <QString>
#include <QStringList>

class QObject;
class QProcess;

namespace tessivar {

// Starts another program (a media player, a recorder). The program gets its arguments as they
// are, never through a shell, so no text from a server can run a command.
class ProcessStarter
{
 public:
  virtual ~ProcessStarter() = default;
  // The full path of the program that `program` names: a path (absolute, or relative to the
  // working folder) of an executable file, or a bare name found on PATH. Empty when there is none.
  [[nodiscard]] virtual QString findProgram(const QString &program) const = 0;
  // Starts a program that runs on its own (a media player). False when it could not be started
  // (missing, not executable).
  virtual bool start(const QString &program, const QStringList &arguments) = 0;
  // Starts a program as a child this program watches and ends (a recorder): the process, owned
  // by parent, is starting; its errorOccurred and finished signals tell the rest. The child is
  // ended when this program goes away, however it goes.
  virtual QProcess *startChild(const QString &program, const QStringList &arguments, QObject *parent) = 0;
};

// The real starter.
class DetachedProcessStarter final : public ProcessStarter
{
 public:
  [[nodiscard]] QString findProgram(const QString &program) const override;
  bool start(const QString &program, const QStringList &arguments) override;
  QProcess *startChild(const QString &program, const QStringList &arguments, QObject *parent) override;
};

// A child process as the real starter starts it: it is sent SIGTERM if this program dies first.
QProcess *startOwnedChild(const QString &program, const QStringList &arguments, QObject *parent);

}  // namespace tessivar
