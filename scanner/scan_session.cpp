#include "scanner/scan_session.h"

#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "platform/embedded_player.h"
#include "platform/http_transfer.h"
#include "platform/prompter.h"
#include "platform/station_list.h"
#include "platform/stream_address.h"
#include "platform/transfer_factory.h"
#include "platform/transfer_state.h"
#include "results/stream_format.h"
#include "scanner/scan_play_states.h"
#include "scanner/scan_request.h"
#include "scanner/scan_resume.h"
#include "scanner/scan_view.h"
#include "scanner/station_answer.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace tessivar {

namespace {

QString serverErrorMessage()
{
  return QStringLiteral("Error Contacting Server, Please Try Back Later or Contact ") +
         product::supportEmail();
}

QString missingRealPlayerMessage()
{
  return QStringLiteral(
      "Critical Error. You are missing RealPlayer on your computer.  This player is necessary to fully use "
      "the scan function.");
}

QString missingMediaPlayerMessage()
{
  return QStringLiteral(
      "Critical Error. You are missing Windows Media Player verion 7,8 or 9 on your computer.  This player "
      "is "
      "necessary to fully use the scan function.");
}

QTimer *makeTimer(QObject *parent, const char *name, int interval, bool singleShot)
{
  auto *timer = new QTimer(parent);
  timer->setObjectName(QString::fromLatin1(name));
  timer->setInterval(interval);
  timer->setSingleShot(singleShot);
  return timer;
}

}  // namespace

ScanSession::ScanSession(ScanView &view, const AppServices &services, const ScanSetup &setup, QObject *parent)
    : QObject(parent),
      view_(view),
      services_(services),
      setup_(setup),
      transfer_(services.transfers.makeTransfer(this)),
      state_(new TransferState(this)),
      playedList_(new StationList(this))
{
  state_->idleTimer()->setObjectName(QStringLiteral("TimerIdle"));
  connect(transfer_, &HttpTransfer::documentOutput, this,
          [this](DocumentState documentState, const QByteArray &block) {
            if (documentState == DocumentState::Begin) {
              responseText_.clear();
              answerTooLong_ = false;
            }
            if (documentState == DocumentState::Data && !answerTooLong_) {
              answerTooLong_ = responseText_.size() + block.size() > longestAnswer;
              if (answerTooLong_) {
                responseText_.clear();
                transfer_->cancel();
              } else {
                responseText_ += block;
              }
            }
            state_->setIdleTicks(0);
          });
  connect(transfer_, &HttpTransfer::finishedAny, state_, &TransferState::wake);

  timer1_ = makeTimer(this, "Timer1", 10, true);
  timer2_ = makeTimer(this, "Timer2", 1000, false);
  timer4_ = makeTimer(this, "Timer4", 500, false);
  timerReal_ = makeTimer(this, "TimerReal", monitorInterval_, false);
  connect(timer1_, &QTimer::timeout, this, &ScanSession::fetchTick);
  connect(timer2_, &QTimer::timeout, this, &ScanSession::watcherTick);
  connect(timer4_, &QTimer::timeout, this, &ScanSession::levelTick);
  connect(timerReal_, &QTimer::timeout, this, &ScanSession::monitorTick);
}

ScanSession::~ScanSession() = default;

void ScanSession::createPlayers()
{
  const QPointer<ScanSession> self(this);
  // Both players are the embedded engine's, whatever the desktop's own players are.
  const auto make = [this](const QString &missing) -> EmbeddedPlayer * {
    EmbeddedPlayer *player = services_.embeddedPlayer.createPlayer(this);
    if (player == nullptr) {
      tell(static_cast<int>(PromptIcon::Critical), missing);
      return nullptr;
    }
    // Reports are taken as they come, not only at the monitor's next tick.
    connect(player, &EmbeddedPlayer::changed, this, [this, player] {
      if (player == activePlayer_) monitorTick();
    });
    return player;
  };
  EmbeddedPlayer *real = make(missingRealPlayerMessage());
  if (!self) return;
  realPlayer_ = real;
  EmbeddedPlayer *media = make(missingMediaPlayerMessage());
  if (!self) return;
  mediaPlayer_ = media;
}

QString ScanSession::statusText(int panel) const
{
  return panel == 1 || panel == 2 ? statusPanels_[panel - 1] : QString();
}

void ScanSession::setStatus(int panel, const QString &text)
{
  statusPanels_[panel - 1] = text;
  view_.setStatusText(panel, text);
}

void ScanSession::tell(int icon, const QString &text)
{
  services_.prompter.ask(static_cast<PromptIcon>(icon), product::applicationTitle(), text);
}

// --- scan mode ---------------------------------------------------------------------------------

int ScanSession::retryDelayMs(int failures)
{
  return 2000 << std::clamp(failures - 1, 0, failuresBeforePause);
}

void ScanSession::start()
{
  if (stalled_) {
    resume();
    return;
  }
  if (started_ || closing_ || playlistMode_) return;
  started_ = true;
  view_.showStationArea();
  setStatus(1, QStringLiteral("Loading Stations.."));
  const ScanResume resume = scanResume(services_.settings.text(SettingKey::LastScan), view_.style());
  QString position = resume.position;
  if (resume.ask) {
    const QPointer<ScanSession> self(this);
    const PromptAnswer answer = services_.prompter.ask(PromptIcon::None, product::applicationTitle(),
                                                       resumeQuestion(), PromptButtons::YesNo);
    if (!self || closing_) return;
    if (answer != PromptAnswer::Yes) position = QStringLiteral("0");
  }
  scanPosition_ = position;
  timer1_->start(untilNextRequestMs());
}

void ScanSession::fetchTick()
{
  timer1_->stop();
  if (closing_) return;
  auto task = fetchStation();
}

QCoro::Task<> ScanSession::fetchStation()
{
  const QPointer<ScanSession> self(this);
  timer2_->start();
  const bool wasPaused = std::exchange(paused_, false);
  view_.setPauseCaption(QStringLiteral("&Pause"));
  if (wasPaused) emit nowPlayingChanged();
  state_->idleTimer()->start();
  view_.setPresetsEnabled(false);
  view_.setPauseEnabled(false);
  view_.showLevelPictures(false);
  timer4_->stop();
  setStatus(2, QString());
  view_.setStatusWord(QStringLiteral("Switching Stations"));
  setStationPlaying(false);

  const QString style = view_.style();
  ScanRequest request{setup_.dataServer, style, view_.includeUnknown(), scanPosition_,
                      services_.settings.text(SettingKey::ConSpeed)};
  responseText_.clear();
  answerTooLong_ = false;
  // The position stored is the one asked for: a resumed scan asks for the same station again.
  services_.settings.setText(SettingKey::LastScan, lastScanRecord(scanPosition_, style));

  state_->setIdleTicks(0);
  lastRequest_.start();
  transfer_->requestDocument(scanAddress(request));
  while (transfer_->isBusy() && !closing_ && !state_->stopRequested() &&
         state_->idleTicks() < silenceSeconds) {
    if (!co_await state_->nextChange() || !self) co_return;
  }
  // Quit or close during the request: nothing is read, shown or played.
  if (closing_ || state_->stopRequested()) {
    transfer_->cancel();
    co_return;
  }
  if (transfer_->isBusy()) {  // the server fell silent
    transfer_->cancel();
    requestFailed();
    co_return;
  }
  if (transfer_->lastOutcome().kind != TransferOutcome::Kind::Completed || answerTooLong_) {
    requestFailed();
    co_return;
  }

  const StationAnswer answer = readStationAnswer(responseText_);
  switch (answer.kind) {
    case StationAnswer::Kind::NoStations:
      tell(static_cast<int>(PromptIcon::Information),
           QStringLiteral("No stations of this type (for selected player) are available for scan."));
      if (self && !closing_) view_.closeWindow();
      co_return;
    case StationAnswer::Kind::EndOfList:
      scanPosition_ = QStringLiteral("0");
      services_.settings.setText(SettingKey::LastScan, finishedScanRecord());
      tell(static_cast<int>(PromptIcon::None), QStringLiteral("No more stations available for scan."));
      if (self && !closing_) view_.closeWindow();
      co_return;
    case StationAnswer::Kind::Unreadable:
      requestFailed();
      co_return;
    case StationAnswer::Kind::Station:
      break;
  }

  scanPosition_ = answer.nextPosition;
  lName_ = answer.name;
  lURL_ = answer.streamAddress;
  stationWebsite_ = answer.website;
  view_.showStation(answer);
  emit nowPlayingChanged();
  view_.setStatusWord(QStringLiteral("Playing..."));

  bool real = false;
  EmbeddedPlayer *player = playerFor(lURL_, &real);
  if (player == nullptr) {
    // Neither player can play it: on to the next station, after a while.
    stationFailed(isStreamAddress(lURL_) ? QStringLiteral("No player for this format")
                                         : QStringLiteral("Not a stream address"));
    co_return;
  }
  useRealPlayer_ = real;
  co_await playStation(player, lURL_);
}

int ScanSession::untilNextRequestMs() const
{
  if (!lastRequest_.isValid()) return 0;
  return static_cast<int>(std::max<qint64>(0, requestSpacingMs - lastRequest_.elapsed()));
}

void ScanSession::stationFailed(const QString &reason)
{
  setStatus(1, reason);
  afterStation(reason);
}

void ScanSession::stall()
{
  stalled_ = true;
  failuresInRow_ = 0;
  timer1_->stop();
  timer2_->stop();
  state_->idleTimer()->stop();
  setStatus(1, lastFailure_);
  setStatus(2, QString());
  view_.setStatusWord(QStringLiteral("Scan paused"));
  view_.setStartShown(true);
  view_.setNextEnabled(true);
  tell(
      static_cast<int>(PromptIcon::Exclamation),
      QStringLiteral("No station could be played: the last %1 stations in a row failed.\n\nLast error: %2\n\n"
                     "Press Start or Next to go on with the scan.")
          .arg(failuresBeforePause)
          .arg(lastFailure_));
}

void ScanSession::resume()
{
  stalled_ = false;
  view_.setStartShown(false);
  setStatus(1, QStringLiteral("Next Station.."));
  view_.setNextEnabled(false);
  timer1_->start(untilNextRequestMs());
}

void ScanSession::requestFailed()
{
  const QPointer<ScanSession> self(this);
  tell(static_cast<int>(PromptIcon::Critical), serverErrorMessage());
  if (self && !closing_) view_.closeWindow();
}

EmbeddedPlayer *ScanSession::playerFor(const QString &address, bool *realPlayer) const
{
  if (!isStreamAddress(address)) return nullptr;
  const QString letter = playerForURL(address);
  *realPlayer = letter == u"R";
  if (letter == u"R") return realPlayer_;
  if (letter == u"N") return mediaPlayer_;
  return nullptr;
}

void ScanSession::next()
{
  if (closing_) return;
  if (stalled_) {
    resume();
    return;
  }
  userNext_ = true;
  // Waiting after a station that could not be played: the next one now.
  if (timer1_->isActive()) timer1_->start(untilNextRequestMs());
  setStatus(1, QStringLiteral("Next Station.."));
  view_.setNextEnabled(false);
  view_.setPauseEnabled(false);
  view_.setPresetsEnabled(false);
  skipNext_ = true;
  state_->wake();
}

void ScanSession::togglePause()
{
  paused_ = !paused_;
  view_.setPauseCaption(paused_ ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
  if (paused_)
    state_->idleTimer()->stop();
  else
    state_->idleTimer()->start();
  emit nowPlayingChanged();
}

// --- a station in the player ---------------------------------------------------------------------

QCoro::Task<> ScanSession::playStation(EmbeddedPlayer *player, QString address)
{
  const QPointer<ScanSession> self(this);
  state_->setIdleTicks(0);
  state_->setTransferError(0);
  state_->setTransferDone(false);
  setStationPlaying(false);
  stationPlayed_ = false;
  userNext_ = false;
  lastPlayState_.reset();
  setStatus(1, QStringLiteral("Connecting"));
  setStatus(2, QString());
  skipNext_ = false;
  skipPrevious_ = false;
  // The player's reports are taken from the load on (the monitor's ticks read them as well).
  activePlayer_ = player;
  player->load(address);
  timerReal_->start(monitorInterval_);

  if (playlistMode_) {
    co_await playlistWait();
    if (!self) co_return;
    stopStation(player);
    co_return;
  }
  co_await stationCycle();
  if (!self) co_return;
  // A station left before it ever played, other than by Next, could not be played.
  std::optional<QString> failure;
  if (!stationPlayed_ && !userNext_ && !closing_) {
    failure = player->errorText();
    if (failure->isEmpty()) failure = statusPanels_[0];
  }
  stopStation(player);
  afterStation(failure);
}

QCoro::Task<> ScanSession::stationCycle()
{
  const QPointer<ScanSession> self(this);
  state_->setIdleTicks(0);
  view_.setNextEnabled(true);
  skipNext_ = false;
  for (;;) {
    if (closing_ || state_->stopRequested() || skipNext_ || state_->transferError() != 0) co_return;
    const int ticks = state_->idleTicks();
    setStatus(2, QString::number(ticks) + QStringLiteral(" Seconds"));
    // With 45 seconds set, the switch comes when the count reaches 46.
    if (view_.secondsPerStation() < ticks) skipNext_ = true;
    // Connect watchdog.
    if (statusPanels_[0] == QStringLiteral("Connecting") && ticks > connectSeconds) {
      state_->setTransferError(-1);
      setStatus(1, QStringLiteral("No answer from the station"));
    }
    if (skipNext_ || state_->transferError() != 0) co_return;
    if (!co_await state_->nextChange() || !self) co_return;
  }
}

QCoro::Task<> ScanSession::playlistWait()
{
  const QPointer<ScanSession> self(this);
  while (!closing_ && !state_->transferDone() && state_->transferError() == 0 && !state_->stopRequested() &&
         !skipNext_ && !skipPrevious_) {
    if (!co_await state_->nextChange() || !self) co_return;
  }
}

void ScanSession::afterStation(const std::optional<QString> &failure)
{
  state_->setIdleTicks(0);
  skipNext_ = false;
  userNext_ = false;
  if (closing_) return;
  timer2_->stop();
  int delay = 0;
  if (failure) {
    lastFailure_ = *failure;
    if (++failuresInRow_ >= failuresBeforePause) {
      stall();
      return;
    }
    delay = retryDelayMs(failuresInRow_);
    setStatus(2, QString());
    view_.setStatusWord(QStringLiteral("Not playable"));
    // Next goes on at once instead of waiting.
    view_.setNextEnabled(true);
  }
  timer1_->start(std::max(delay, untilNextRequestMs()));
}

void ScanSession::stopStation(EmbeddedPlayer *player)
{
  timer4_->stop();
  activePlayer_ = nullptr;
  if (player != nullptr) player->stop();
  timerReal_->stop();
  showStreamTitle(QString());
  setStationPlaying(false);
}

void ScanSession::setStationPlaying(bool playing)
{
  if (stationPlaying_ == playing) return;
  stationPlaying_ = playing;
  emit stationPlayingChanged(playing);
}

void ScanSession::showStreamTitle(const QString &title)
{
  if (title == streamTitle_) return;
  streamTitle_ = title;
  view_.setStreamTitle(title);
  emit streamTitleChanged(title);
}

void ScanSession::monitorTick()
{
  EmbeddedPlayer *player = activePlayer_;
  if (player == nullptr || closing_) return;
  // Scan mode follows the monitor for both players; a playlist follows it for RealPlayer entries
  // and the playlist's own state table for the others.
  const bool byMonitor = !playlistMode_ || useRealPlayer_;
  if (byMonitor && player->bufferingSecondsLeft() > 0)
    setStatus(1, bufferingText(player->bufferingSecondsLeft()));
  if (const std::optional<QString> rate = bitRateText(player->bandwidth())) view_.setBitRateText(*rate);

  const int stateNumber = static_cast<int>(player->state());
  if (byMonitor || lastPlayState_ != stateNumber) {
    lastPlayState_ = stateNumber;
    const PlayStateStep step =
        playStateStep(byMonitor ? PlayWatch::Monitor : PlayWatch::Playlist, player->state(), stationPlaying_);
    if (step.failed) {
      state_->setTransferError(-1);
      setStatus(1, player->errorText());
    }
    if (step.status) setStatus(1, *step.status);
    if (step.playing && !stationPlaying_) {
      setStationPlaying(true);
      stationPlayed_ = true;
      failuresInRow_ = 0;
      state_->setIdleTicks(0);
      monitorInterval_ = 5000;
      timerReal_->setInterval(monitorInterval_);
      timer4_->start();
    }
    if (step.skip) skipNext_ = true;
    if (step.ended) state_->setTransferDone(true);
  }
  if (playlistMode_) {
    if (const std::optional<QString> text = positionText(player->position(), player->length()))
      setStatus(2, *text);
  }
  // Played to nothing (no sound device): said so, and the level stays still.
  if (stationPlaying_ && playsWithoutSound()) {
    setStatus(1, QStringLiteral("No audio output"));
    timer4_->stop();
  }
  showStreamTitle(player->streamTitle());
  state_->wake();
}

bool ScanSession::playsWithoutSound() const
{
  return activePlayer_ != nullptr && activePlayer_->playsWithoutSound();
}

void ScanSession::watcherTick()
{
  view_.showLevelPictures(true);
  if (stationPlaying_) {
    if (!playsWithoutSound()) timer4_->start();
    view_.setPauseEnabled(true);
    view_.setPresetsEnabled(true);
    timer2_->stop();
  } else {
    timer4_->stop();
    view_.setPauseEnabled(false);
    view_.setPresetsEnabled(false);
  }
}

void ScanSession::levelTick()
{
  levelFrame_ = levelFrame_ % 4 + 1;
  view_.setLevelFrame(levelFrame_);
}

// --- playlist mode -------------------------------------------------------------------------------

void ScanSession::addPlaylistEntries(const QList<ListEntry> &entries)
{
  // A new playlist replaces the last one; entries for a playing list join at its end, so what
  // plays now keeps its place.
  if (!playlistRunning_) playedList_->clear();
  for (const ListEntry &entry : entries) playedList_->insert(-1, entry.text, entry.secondText, entry.number);
}

QCoro::Task<> ScanSession::DoPlaylist()
{
  if (playlistRunning_ || closing_) co_return;
  const QPointer<ScanSession> self(this);
  playlistMode_ = true;
  playlistRunning_ = true;
  // A scan that was under way ends here: its station stops and no further request starts.
  timer1_->stop();
  timer2_->stop();
  transfer_->cancel();
  view_.showPlaylistArea();
  view_.showLevelPictures(true);
  playlistIndex_ = 0;
  while (playlistIndex_ >= 0 && playlistIndex_ < playedList_->count() && !state_->stopRequested() &&
         !closing_) {
    playedList_->clearSelection();
    playedList_->setSelected(playlistIndex_, true);
    playedList_->setCurrentIndex(playlistIndex_);
    lURL_ = playedList_->secondText(playlistIndex_);
    lName_ = playedList_->text(playlistIndex_);
    emit nowPlayingChanged();
    view_.setStatusWord(QStringLiteral("Playing..."));
    bool real = false;
    if (EmbeddedPlayer *player = playerFor(lURL_, &real)) {
      useRealPlayer_ = real;
      co_await playStation(player, lURL_);
      if (!self) co_return;
    }
    if (closing_) break;
    // Previous on the first entry goes on to the second.
    if (skipPrevious_ && playlistIndex_ > 0)
      --playlistIndex_;
    else
      ++playlistIndex_;
    skipNext_ = false;
    skipPrevious_ = false;
  }
  playlistRunning_ = false;
}

void ScanSession::nextEntry()
{
  skipNext_ = true;
  state_->wake();
}

void ScanSession::previousEntry()
{
  skipPrevious_ = true;
  state_->wake();
}

void ScanSession::playChosenEntry()
{
  const int chosen = playedList_->currentIndex();
  if (chosen < 0) return;
  playlistIndex_ = chosen - 1;
  state_->setTransferDone(true);
}

void ScanSession::removeCurrentEntry()
{
  const int index = playedList_->currentIndex();
  if (!playedList_->remove(index)) return;
  // The entries after the removed one move up: so does the playing position.
  if (playlistRunning_ && index <= playlistIndex_) --playlistIndex_;
}

// --- closing -------------------------------------------------------------------------------------

void ScanSession::close()
{
  if (closing_) return;
  closing_ = true;  // ScanClosing
  state_->setTransferDone(true);
  EmbeddedPlayer *player = activePlayer_;
  stopStation(player);
  if (realPlayer_ != nullptr) realPlayer_->stop();
  if (mediaPlayer_ != nullptr) mediaPlayer_->stop();
  timer1_->stop();
  timer2_->stop();
  timer4_->stop();
  timerReal_->stop();
  state_->idleTimer()->stop();
  transfer_->cancel();
  state_->setStopRequested(true);
  emit closed();
}

}  // namespace tessivar
