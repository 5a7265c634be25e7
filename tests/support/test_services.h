#pragma once

#include "platform/app_services.h"
#include "platform/embedded_player.h"
#include "platform/file_associations.h"
#include "platform/process_starter.h"
#include "platform/transfer_factory.h"

#include <QHash>
#include <QList>
#include <QStringList>

namespace tessivar::test {

// Records the programs the program asked to start, and starts none. A program is found when it
// is an absolute path without blanks that `missing` does not list.
class FakeProcessStarter final : public ProcessStarter
{
 public:
  struct Start
  {
    QString program;
    QStringList arguments;
  };
  QString findProgram(const QString &program) const override
  {
    const bool found = program.startsWith(QLatin1Char('/')) && !program.contains(QLatin1Char(' ')) &&
                       !missing.contains(program);
    return found ? program : QString();
  }
  bool start(const QString &program, const QStringList &arguments) override
  {
    started << Start{program, arguments};
    return succeed;
  }
  QList<Start> started;
  bool succeed = true;
  QStringList missing;
};

// File associations from a table: extension -> command line.
class FakeFileAssociations final : public FileAssociations
{
 public:
  QString defaultCommand(const QString &extension) override { return commands.value(extension); }
  QHash<QString, QString> commands;
};

class FakeEmbeddedPlayerEngine final : public EmbeddedPlayerEngine
{
 public:
  bool available() override { return present; }
  bool present = true;
};

// The seams a test does not look at: real network transfers, and fakes for the rest.
struct OtherSeams
{
  NetworkTransferFactory transfers;
  FakeProcessStarter processes;
  FakeFileAssociations associations;
  FakeEmbeddedPlayerEngine embeddedPlayer;
};

// One set of other seams for the whole test process.
OtherSeams &sharedSeams();

// The program's services over the given store, prompter and opener, with the other seams.
inline AppServices testServices(SettingsStore &settings, Prompter &prompter, ShellOpener &shell,
                                OtherSeams &seams = sharedSeams())
{
  return AppServices{
      settings, prompter, shell, seams.transfers, seams.processes, seams.associations, seams.embeddedPlayer};
}

}  // namespace tessivar::test
