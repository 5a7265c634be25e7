#pragma once

#include <QString>
#include <QStringList>

namespace tessivar {

// Starts another program (a media player, a recorder) and lets it run on its own. The program
// gets its arguments as they are, never through a shell, so no text from a server can run a
// command.
class ProcessStarter
{
 public:
  virtual ~ProcessStarter() = default;
  // The full path of the program that `program` names: a path (absolute, or relative to the
  // working folder) of an executable file, or a bare name found on PATH. Empty when there is none.
  [[nodiscard]] virtual QString findProgram(const QString &program) const = 0;
  // False when the program could not be started (missing, not executable).
  virtual bool start(const QString &program, const QStringList &arguments) = 0;
};

// The real starter: a detached process.
class DetachedProcessStarter final : public ProcessStarter
{
 public:
  [[nodiscard]] QString findProgram(const QString &program) const override;
  bool start(const QString &program, const QStringList &arguments) override;
};

}  // namespace tessivar
