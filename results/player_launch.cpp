#include "results/player_launch.h"

#include "base/product.h"
#include "base/program_options.h"
#include "base/site_links.h"
#include "platform/http_transfer.h"
#include "platform/process_starter.h"
#include "platform/prompter.h"
#include "platform/proxy_setting.h"
#include "platform/shell_open.h"
#include "platform/stream_address.h"
#include "platform/transfer_factory.h"
#include "platform/transfer_state.h"
#include "results/built_in_player.h"
#include "results/player_command.h"
#include "results/player_location.h"
#include "results/stream_format.h"
#include "results/xdm_description.h"

#include <QUrl>

#include <memory>
#include <optional>

namespace tessivar {

// What the launch routines say and do for one player.
struct PlayerFacts
{
  SetupPlayer player;
  QStringView name;         // in the message of a start that failed
  QStringView missingText;  // the player's value is empty, or its program is not there
  std::optional<SiteLink> downloadPage;
  QStringView launchingText;
};

namespace {

const PlayerFacts realPlayer{
    SetupPlayer::Real, u"RealPlayer",
    u"Unable to locate RealPlayer.  You cannot play this selection without RealPlayer.",
    SiteLink::RealPlayerPage, u"Launching RealPlayer"};

const PlayerFacts mediaPlayer{SetupPlayer::Media, u"Windows Media Player",
                              u"Unable to locate Windows Media Player.  You cannot play this selection "
                              u"without Windows Media Player 7,8, or 9 series.",
                              SiteLink::MediaPlayerPage, u"Launching Microsoft Media Player"};

const PlayerFacts streamWorksPlayer{SetupPlayer::StreamWorks, u"StreamWorks Player",
                                    u"Unable to locate StreamWorks Player.", std::nullopt,
                                    u"Launching StreamWorks Player"};

void tellFailure(Prompter &prompter, const QString &text)
{
  prompter.ask(PromptIcon::Critical, product::applicationName(), text);
}

QString unplayableAddressText()
{
  return QStringLiteral("Invalid stream address.  Only network streams can be played.");
}

}  // namespace

// Holds the busy pointers for as long as it lives; the first hold shows them, the last release
// restores them.
class PlayerLauncher::BusyHold
{
 public:
  explicit BusyHold(PlayerLauncher *launcher) : launcher_(launcher) { launcher_->holdBusy(); }
  ~BusyHold()
  {
    if (launcher_) launcher_->releaseBusy();
  }
  BusyHold(const BusyHold &) = delete;
  BusyHold &operator=(const BusyHold &) = delete;

 private:
  QPointer<PlayerLauncher> launcher_;
};

PlayerLauncher::PlayerLauncher(ProgramOptions &options, const AppServices &services, QObject *parent)
    : QObject(parent), options_(options), services_(services)
{
}

PlayerLauncher::~PlayerLauncher()
{
  stopFetches();
}

void PlayerLauncher::play(const QString &url, const QString &name)
{
  auto launch = launchURL(url, name);
}

void PlayerLauncher::stopFetches()
{
  const QList<QPointer<TransferState>> running = fetches_;
  for (const QPointer<TransferState> &state : running) {
    if (state) state->setStopRequested(true);
  }
}

QCoro::Task<> PlayerLauncher::launchURL(QString url, QString name)
{
  const BusyHold busy(this);
  if (url.isEmpty() || url == u"NONE") {
    tellFailure(services_.prompter, QStringLiteral("No item selected."));
    co_return;
  }
  // Nothing is started for an address without a "." at all.
  if (!url.contains(u'.')) co_return;
  // Players are handed network streams only: never a local file, a script, a file share, nor
  // anything a player would take for one of its options.
  if (!isStreamAddress(url)) {
    tellFailure(services_.prompter, unplayableAddressText());
    co_return;
  }

  emit statusTextChanged(1, QStringLiteral("Looking for Player.."));
  if (playsInside()) {
    if (launchPlayerForURL(url) == StreamPlayer::StreamWorks)
      co_await doPlayXDM(url, name);
    else
      playInside(url, name);
    co_return;
  }
  switch (launchPlayerForURL(url)) {
    case StreamPlayer::None:
      break;
    case StreamPlayer::RealPlayer:
      co_await launchRealPlayer(url);
      break;
    case StreamPlayer::WindowsMedia:
      co_await launchMediaPlayer(url);
      break;
    case StreamPlayer::StreamWorks:
      co_await launchStreamWorks(url);
      break;
  }
}

QCoro::Task<> PlayerLauncher::launchRealPlayer(QString url)
{
  co_await launchPlayer(realPlayer, url);
}

QCoro::Task<> PlayerLauncher::launchMediaPlayer(QString url)
{
  co_await launchPlayer(mediaPlayer, url);
}

QCoro::Task<> PlayerLauncher::launchPlayer(const PlayerFacts &player, QString url)
{
  const PlayerCommand command = commandFor(player);
  if (command.isEmpty()) {
    reportMissing(player);
    co_return;
  }
  emit statusTextChanged(1, QStringLiteral("Playing..."));
  if (startPlayer(player, command, url)) emit statusTextChanged(1, player.launchingText.toString());
}

QCoro::Task<> PlayerLauncher::launchStreamWorks(QString url)
{
  if (commandFor(streamWorksPlayer).isEmpty()) {
    reportMissing(streamWorksPlayer);
    co_return;
  }
  emit statusTextChanged(1, QStringLiteral("Playing..."));
  emit statusTextChanged(1, streamWorksPlayer.launchingText.toString());
  co_await doPlayXDM(url);
}

QCoro::Task<> PlayerLauncher::doPlayXDM(QString url, QString name)
{
  const QPointer<PlayerLauncher> self(this);
  const BusyHold busy(this);
  const AppServices services = services_;

  // A transfer and flags of its own: a search running meanwhile keeps its transfer, and its
  // Stop, its end or its idle counter do not touch this fetch (nor the other way round).
  const auto state = std::make_unique<TransferState>();
  HttpTransfer *transfer = services.transfers.makeTransfer(state.get());
  transfer->setFollowRedirects(true);

  fetches_ << state.get();
  if (fetches_.size() == 1) emit fetchingChanged(true);
  const DescriptionFetch fetched = co_await fetchDescription(*transfer, *state, url);
  if (!self) co_return;
  fetches_.removeAll(state.get());
  if (fetches_.isEmpty()) emit fetchingChanged(false);

  const QString address = fetched.stopped ? QString() : streamAddressFromDescription(fetched.text);
  if (!isStreamAddress(address)) {
    // Not "Launching ...": no player starts.
    emit statusTextChanged(1, QString());
    if (fetched.stopped) co_return;
    tellFailure(services.prompter,
                address.isEmpty() ? QStringLiteral("Cannot connect..") : unplayableAddressText());
    co_return;
  }
  // The choice and the path in force now: setup may have changed them during the fetch.
  if (playsInside()) {
    playInside(address, name);
    co_return;
  }
  const PlayerCommand command = commandFor(streamWorksPlayer);
  if (command.isEmpty()) {
    reportMissing(streamWorksPlayer);
    co_return;
  }
  startPlayer(streamWorksPlayer, command, address);
}

void PlayerLauncher::reportMissing(const PlayerFacts &player)
{
  const QPointer<PlayerLauncher> self(this);
  const AppServices services = services_;  // a message box may outlive this object
  tellFailure(services.prompter, player.missingText.toString());
  if (player.downloadPage) {
    const PromptAnswer answer = services.prompter.ask(
        PromptIcon::None, product::applicationTitle(),
        QStringLiteral("Would you like to download the free player?"), PromptButtons::YesNo);
    if (answer == PromptAnswer::Yes)
      shellOpen(services.shell, services.prompter, siteLink(services.settings, *player.downloadPage));
  }
  warnMissingPlayers(services.prompter);
  if (!self) return;
  emit busyPointersChanged(false);
  emit setupRequested(player.player);
}

bool PlayerLauncher::startPlayer(const PlayerFacts &player, const PlayerCommand &command,
                                 const QString &address)
{
  const QStringList arguments = command.arguments + QStringList{address};
  if (services_.processes.start(command.program, arguments)) return true;
  // Not "Launching ...": the player did not start, and the user is told so.
  emit statusTextChanged(1, QString());
  tellFailure(services_.prompter,
              QStringLiteral("Unable to start %1 (%2).").arg(player.name.toString(), command.program));
  return false;
}

PlayerCommand PlayerLauncher::commandFor(const PlayerFacts &player) const
{
  return playerCommandFromText(options_.playerPath(player.player), services_.processes);
}

void PlayerLauncher::setBuiltInPlayer(BuiltInPlayer *player)
{
  builtIn_ = player;
}

bool PlayerLauncher::playsInside() const
{
  return options_.builtInPlayer && !builtIn_.isNull();
}

void PlayerLauncher::playInside(const QString &address, const QString &name)
{
  const ProxySetting proxy = storedProxy(services_.settings);
  builtIn_->setProxy(proxy.enabled, proxy.host, proxy.port);
  // Something to show for the station: its name, or failing that the stream's host.
  const QString station = name.trimmed().isEmpty() ? QUrl(address).host() : name.simplified();
  if (builtIn_->play(address, station)) {
    emit statusTextChanged(1, QStringLiteral("Playing..."));
    return;
  }
  emit statusTextChanged(1, QString());
  tellFailure(services_.prompter, QStringLiteral("Unable to start the built-in player."));
}

void PlayerLauncher::holdBusy()
{
  if (busyHolds_++ == 0) emit busyPointersChanged(true);
}

void PlayerLauncher::releaseBusy()
{
  if (busyHolds_ > 0 && --busyHolds_ == 0) emit busyPointersChanged(false);
}

}  // namespace tessivar
