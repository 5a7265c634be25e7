#pragma once

#include "platform/app_services.h"
#include "platform/embedded_player.h"
#include "platform/file_associations.h"
#include "platform/process_starter.h"
#include "platform/transfer_factory.h"

#include <QHash>
#include <QList>
#include <QPointer>
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
  // Children are really started (a test puts a script of its own on PATH).
  QProcess *startChild(const QString &program, const QStringList &arguments, QObject *parent) override
  {
    started << Start{program, arguments};
    return startOwnedChild(program, arguments, parent);
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

// An embedded player that plays nothing: it records what it was told, and a test sets what it
// reports with report().
class FakeEmbeddedPlayer final : public EmbeddedPlayer
{
 public:
  using EmbeddedPlayer::EmbeddedPlayer;

  void load(const QString &address) override
  {
    loads << address;
    reports = Reports{};
    reports.state = EmbeddedPlayState::Connecting;
    emit changed();
  }
  void stop() override
  {
    ++stops;
    reports = Reports{};
    emit changed();
  }
  void setProxy(bool enabled, const QString &host, int port) override
  {
    proxy = enabled ? host + QLatin1Char(':') + QString::number(port) : QString();
  }
  void setPaused(bool paused) override
  {
    if (reports.state == EmbeddedPlayState::Playing && paused)
      reports.state = EmbeddedPlayState::Paused;
    else if (reports.state == EmbeddedPlayState::Paused && !paused)
      reports.state = EmbeddedPlayState::Playing;
    emit changed();
  }
  void setVolume(int percent) override { volume = percent; }
  void setMuted(bool on) override { muted = on; }
  bool setRecordingFile(const QString &path) override
  {
    recordingFile = path;
    return true;
  }

  EmbeddedPlayState state() const override { return reports.state; }
  int bufferingSecondsLeft() const override { return reports.bufferingSeconds; }
  int bufferingPercent() const override { return reports.bufferingPercent; }
  double position() const override { return reports.position; }
  double length() const override { return reports.length; }
  double bandwidth() const override { return reports.bandwidth; }
  QString errorText() const override { return reports.error; }
  QString streamTitle() const override { return reports.title; }
  bool playsWithoutSound() const override { return reports.silent; }

  struct Reports
  {
    EmbeddedPlayState state = EmbeddedPlayState::Idle;
    int bufferingSeconds = 0;
    int bufferingPercent = 0;
    double position = 0;
    double length = 0;
    double bandwidth = 0;
    QString error;
    QString title;
    bool silent = false;
  };
  // Sets what the player reports and says so.
  void report(const Reports &next)
  {
    reports = next;
    emit changed();
  }

  Reports reports;
  QStringList loads;
  int stops = 0;
  QString proxy;
  int volume = 100;
  bool muted = false;
  QString recordingFile;
};

// Makes fake players (none while `present` is false) and keeps a guarded list of them.
class FakeEmbeddedPlayerEngine final : public EmbeddedPlayerEngine
{
 public:
  bool available() override { return present; }
  EmbeddedPlayer *createPlayer(QObject *parent) override
  {
    if (!present) return nullptr;
    auto *player = new FakeEmbeddedPlayer(parent);
    players << player;
    return player;
  }
  bool present = true;
  QList<QPointer<FakeEmbeddedPlayer>> players;
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
