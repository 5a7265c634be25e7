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
  // False when the program could not be started (missing, not executable).
  virtual bool start(const QString &program, const QStringList &arguments) = 0;
};

// The real starter: a detached process.
class DetachedProcessStarter final : public ProcessStarter
{
 public:
  bool start(const QString &program, const QStringList &arguments) override;
};

}  // namespace tessivar
