#include "results/built_in_player.h"

namespace tessivar {

BuiltInPlayer::BuiltInPlayer(EmbeddedPlayerEngine &engine, QObject *parent) : QObject(parent), engine_(engine)
{
}

bool BuiltInPlayer::play(const QString &url, const QString &stationName)
{
  if (player_ == nullptr) {
    player_ = engine_.createPlayer(this);
    if (player_ == nullptr) return false;
    player_->setVolume(volume_);
    player_->setMuted(muted_);
    player_->setProxy(proxyEnabled_, proxyHost_, proxyPort_);
    connect(player_, &EmbeddedPlayer::changed, this, &BuiltInPlayer::onPlayerChanged);
  }
  // A recording belongs to the stream it was started on.
  if (!recordingFile_.isEmpty()) setRecordingFile(QString());
  url_ = url;
  stationName_ = stationName;
  lastTitle_.clear();
  player_->load(url);
  return true;
}

void BuiltInPlayer::togglePause()
{
  if (player_ == nullptr) return;
  const EmbeddedPlayState now = player_->state();
  if (now == EmbeddedPlayState::Paused)
    player_->setPaused(false);
  else if (isActive())
    player_->setPaused(true);
  // Stopped or ended: Play starts the last stream again.
  else if (!url_.isEmpty())
    play(url_, stationName_);
}

void BuiltInPlayer::stop()
{
  if (player_ == nullptr) return;
  if (!recordingFile_.isEmpty()) setRecordingFile(QString());
  player_->stop();
}

void BuiltInPlayer::setVolume(int percent)
{
  volume_ = qBound(0, percent, 100);
  if (player_ != nullptr) player_->setVolume(volume_);
  emit changed();
}

void BuiltInPlayer::setMuted(bool muted)
{
  muted_ = muted;
  if (player_ != nullptr) player_->setMuted(muted_);
  emit changed();
}

void BuiltInPlayer::setProxy(bool enabled, const QString &host, int port)
{
  proxyEnabled_ = enabled;
  proxyHost_ = host;
  proxyPort_ = port;
  if (player_ != nullptr) player_->setProxy(enabled, host, port);
}

bool BuiltInPlayer::setRecordingFile(const QString &path)
{
  if (player_ == nullptr || (!path.isEmpty() && !isActive())) return false;
  if (!player_->setRecordingFile(path)) return false;
  recordingFile_ = path;
  emit changed();
  return true;
}

EmbeddedPlayState BuiltInPlayer::state() const
{
  return player_ != nullptr ? player_->state() : EmbeddedPlayState::Idle;
}

bool BuiltInPlayer::isActive() const
{
  switch (state()) {
    case EmbeddedPlayState::Connecting:
    case EmbeddedPlayState::Buffering:
    case EmbeddedPlayState::Playing:
    case EmbeddedPlayState::Paused:
      return true;
    default:
      return false;
  }
}

QString BuiltInPlayer::streamTitle() const
{
  return player_ != nullptr ? player_->streamTitle() : QString();
}

QString BuiltInPlayer::stateText() const
{
  if (player_ != nullptr && player_->playsWithoutSound()) return QStringLiteral("No audio output");
  switch (state()) {
    case EmbeddedPlayState::Connecting:
      return QStringLiteral("Connecting…");
    case EmbeddedPlayState::Buffering:
      return QStringLiteral("Buffering %1%").arg(player_->bufferingPercent());
    case EmbeddedPlayState::Playing:
      return QStringLiteral("Playing");
    case EmbeddedPlayState::Paused:
      return QStringLiteral("Paused");
    case EmbeddedPlayState::Failed:
      return player_->errorText();
    default:
      return QStringLiteral("Stopped");
  }
}

void BuiltInPlayer::onPlayerChanged()
{
  // A recording ends with its stream.
  if (!recordingFile_.isEmpty() && !isActive()) {
    player_->setRecordingFile(QString());
    recordingFile_.clear();
  }
  const QString title = player_->streamTitle().trimmed();
  if (!title.isEmpty() && title != lastTitle_) {
    lastTitle_ = title;
    emit titleHeard(stationName_, url_, title);
  }
  emit changed();
}

}  // namespace tessivar
