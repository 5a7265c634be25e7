#include "results/built_in_player_mpris.h"

#include "results/built_in_player.h"

#include <cmath>

namespace tessivar {

BuiltInPlayerMpris::BuiltInPlayerMpris(BuiltInPlayer &player, std::function<void()> raiseWindow,
                                       QObject *parent)
    : MprisSource(parent),
      player_(player),
      raiseWindow_(std::move(raiseWindow)),
      service_(new MprisService(*this))
{
  connect(&player_, &BuiltInPlayer::changed, this, &BuiltInPlayerMpris::onPlayerChanged);
  onPlayerChanged();
}

QString BuiltInPlayerMpris::playbackStatus() const
{
  switch (player_.state()) {
    case EmbeddedPlayState::Playing:
    case EmbeddedPlayState::Buffering:
      return QStringLiteral("Playing");
    case EmbeddedPlayState::Paused:
      return QStringLiteral("Paused");
    default:
      return QStringLiteral("Stopped");
  }
}

QVariantMap BuiltInPlayerMpris::metadata() const
{
  return mprisStreamMetadata(QStringLiteral("/org/tessivar/player/stream/") + QString::number(streamNumber_),
                             player_.url(), player_.stationName(), player_.streamTitle());
}

bool BuiltInPlayerMpris::canPause() const
{
  return player_.isActive();
}

double BuiltInPlayerMpris::volume() const
{
  return player_.muted() ? 0.0 : player_.volume() / 100.0;
}

void BuiltInPlayerMpris::play()
{
  if (player_.state() == EmbeddedPlayState::Paused) player_.togglePause();
}

void BuiltInPlayerMpris::pause()
{
  if (player_.isActive() && player_.state() != EmbeddedPlayState::Paused) player_.togglePause();
}

void BuiltInPlayerMpris::playPause()
{
  if (canPause()) player_.togglePause();
}

void BuiltInPlayerMpris::stop()
{
  player_.stop();
}

void BuiltInPlayerMpris::raise()
{
  if (raiseWindow_) raiseWindow_();
}

void BuiltInPlayerMpris::setVolume(double volume)
{
  if (!std::isfinite(volume)) return;
  player_.setVolume(int(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

void BuiltInPlayerMpris::onPlayerChanged()
{
  if (player_.url() != lastUrl_) {
    lastUrl_ = player_.url();
    ++streamNumber_;
  }
  // Registered first, so that the first announcement already reaches the bus.
  service_->setRegistered(player_.isActive());
  emit changed();
}

}  // namespace tessivar
