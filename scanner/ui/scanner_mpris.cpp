#include "scanner/ui/scanner_mpris.h"

#include "platform/transfer_state.h"
#include "scanner/scan_session.h"
#include "scanner/ui/scan_window.h"

namespace tessivar {

ScannerMpris::ScannerMpris(ScanWindow &window)
    : MprisSource(&window), window_(&window), service_(new MprisService(*this))
{
  ScanSession &session = window.session();
  connect(&session, &ScanSession::nowPlayingChanged, this, &ScannerMpris::onStationChanged);
  connect(&session, &ScanSession::stationPlayingChanged, this, &ScannerMpris::changed);
  connect(&session, &ScanSession::streamTitleChanged, this, [this](const QString &title) {
    streamTitle_ = title;
    emit changed();
  });
  connect(&session, &ScanSession::closed, this, [this] { service_->setRegistered(false); });
  service_->setRegistered(true);
}

// --- the state ------------------------------------------------------------------------------------

QString ScannerMpris::playbackStatus() const
{
  if (!window_) return QStringLiteral("Stopped");
  ScanSession &session = window_->session();
  if (session.isClosing() || !session.isStationPlaying()) return QStringLiteral("Stopped");
  return session.isPaused() ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QVariantMap ScannerMpris::metadata() const
{
  if (!window_) return mprisStreamMetadata({}, {}, {}, {});
  const ScanSession &session = window_->session();
  return mprisStreamMetadata(
      QStringLiteral("/org/tessivar/scanner/station/") + QString::number(stationNumber_),
      session.stationAddress(), session.stationName(), streamTitle_);
}

bool ScannerMpris::canGoNext() const
{
  if (!window_ || window_->session().isClosing()) return false;
  ScanSession &session = window_->session();
  return session.isPlaylistMode() ? session.isPlaylistRunning() : !session.stationAddress().isEmpty();
}

bool ScannerMpris::canGoPrevious() const
{
  if (!window_ || window_->session().isClosing()) return false;
  ScanSession &session = window_->session();
  return session.isPlaylistMode() && session.isPlaylistRunning();
}

bool ScannerMpris::canPause() const
{
  // The scan's countdown stands still while paused; a playlist has no pause.
  if (!window_) return false;
  ScanSession &session = window_->session();
  return !session.isClosing() && !session.isPlaylistMode() && session.isStationPlaying();
}

// --- the commands ---------------------------------------------------------------------------------

void ScannerMpris::play()
{
  if (canPlay() && window_->session().isPaused()) window_->session().togglePause();
}

void ScannerMpris::pause()
{
  if (canPause() && !window_->session().isPaused()) window_->session().togglePause();
}

void ScannerMpris::playPause()
{
  if (canPause()) window_->session().togglePause();
}

void ScannerMpris::next()
{
  if (!canGoNext()) return;
  ScanSession &session = window_->session();
  if (session.isPlaylistMode())
    session.nextEntry();
  else
    session.next();
}

void ScannerMpris::previous()
{
  if (canGoPrevious()) window_->session().previousEntry();
}

void ScannerMpris::stop()
{
  // As the scanner's Quit: every wait ends and the window closes.
  if (!window_) return;
  window_->session().transferState().setStopRequested(true);
  window_->close();
}

void ScannerMpris::raise()
{
  if (!window_) return;
  window_->show();
  window_->raise();
  window_->activateWindow();
}

// --- what changed ---------------------------------------------------------------------------------

void ScannerMpris::onStationChanged()
{
  if (!window_) return;
  const ScanSession &session = window_->session();
  if (session.stationAddress() != lastAddress_ || session.stationName() != lastName_) {
    lastAddress_ = session.stationAddress();
    lastName_ = session.stationName();
    ++stationNumber_;
  }
  emit changed();
}

}  // namespace tessivar
