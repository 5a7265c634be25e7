#pragma once

#include "platform/app_services.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QCoroTask>

namespace tessivar {

enum class SetupPlayer;
class BuiltInPlayer;
class ProgramOptions;
class TransferState;
struct PlayerCommand;
struct PlayerFacts;

// Plays streams in the user's players: launchURL picks the player from the address, the three
// launch routines start it with the player's value from the program options (read at each launch,
// so a path entered in setup counts at once), and doPlayXDM fetches a StreamWorks description
// first. A player is started as its program, its fixed arguments and the address as one
// argument, never through a shell. With the built-in player chosen in the options (and given
// here), streams play in it instead and no program is started. What the launch does to the window
// goes out as signals.
class PlayerLauncher final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PlayerLauncher)

 public:
  PlayerLauncher(ProgramOptions &options, const AppServices &services, QObject *parent = nullptr);
  // Running description fetches are stopped.
  ~PlayerLauncher() override;

  // Plays an address. The name (a station or title) takes no part in an external player's launch;
  // the built-in player shows it. An address without a "." starts nothing; one that is no network
  // stream (isStreamAddress) is refused with a message.
  // The built-in player is used for ".xdm" descriptions too, once fetched.
  QCoro::Task<> launchURL(QString url, QString name = {});

  // A player whose value is empty, or whose program is no longer there: the missing-player
  // messages, then the setup dialog on its tab. Otherwise "Playing...", the start, then the
  // "Launching ..." text; a start that fails is reported instead.
  QCoro::Task<> launchRealPlayer(QString url);
  QCoro::Task<> launchMediaPlayer(QString url);
  QCoro::Task<> launchStreamWorks(QString url);
  // Fetches the ".xdm" description at `url` over a transfer and flags of its own, and starts
  // StreamWorks (or the built-in player, under `name`) with the stream address it names ("Cannot
  // connect.." when there is none).
  // Addresses that are no network stream (isStreamAddress) are refused with a message, in a
  // description as in launchURL.
  QCoro::Task<> doPlayXDM(QString url, QString name = {});

  // The program's own player, used while the options choose it; none: the external players only.
  void setBuiltInPlayer(BuiltInPlayer *player);

 public slots:
  // launchURL, not awaited.
  void play(const QString &url, const QString &name);
  // Stop: ends the wait of every running description fetch; no player is started for them.
  void stopFetches();

 signals:
  // Status bar panel 1 ("Looking for Player..", "Playing...", "Launching RealPlayer").
  void statusTextChanged(int panel, const QString &text);
  // The arrow-with-hourglass pointer on the screen and the results grid (true), or the default
  // pointer and the grid's arrow again (false).
  void busyPointersChanged(bool busy);
  // The setup dialog on the player's page, shown modally: the receiver returns once it is closed.
  void setupRequested(tessivar::SetupPlayer player);
  // A description fetch began while none ran (true), or the last one running ended (false):
  // Stop is offered meanwhile.
  void fetchingChanged(bool running);

 private:
  class BusyHold;
  QCoro::Task<> launchPlayer(const PlayerFacts &player, QString url);
  // The missing-player messages and the setup dialog on the player's tab.
  void reportMissing(const PlayerFacts &player);
  // Starts the player's command with the address after its fixed arguments. A start that fails
  // is reported; true when the player runs.
  bool startPlayer(const PlayerFacts &player, const PlayerCommand &command, const QString &address);
  PlayerCommand commandFor(const PlayerFacts &player) const;
  // The options choose the built-in player and there is one.
  bool playsInside() const;
  // Plays the stream address in the built-in player; an engine that cannot start is reported.
  void playInside(const QString &address, const QString &name);
  void holdBusy();
  void releaseBusy();

  ProgramOptions &options_;
  AppServices services_;
  QPointer<BuiltInPlayer> builtIn_;
  QList<QPointer<TransferState>> fetches_;
  int busyHolds_ = 0;
};

}  // namespace tessivar
