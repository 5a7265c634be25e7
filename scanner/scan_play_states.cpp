#include "scanner/scan_play_states.h"

#include <cmath>

namespace tessivar {

namespace {

PlayStateStep status(const char *text)
{
  PlayStateStep step;
  step.status = QString::fromLatin1(text);
  return step;
}

PlayStateStep startsPlaying()
{
  PlayStateStep step = status("Playing");
  step.playing = true;
  return step;
}

// The monitor: stopped, connecting, buffering, playing (first time), error.
PlayStateStep monitorStep(EmbeddedPlayState state, bool stationPlaying)
{
  switch (state) {
    case EmbeddedPlayState::Idle:
    case EmbeddedPlayState::Ended: {
      PlayStateStep step = status("Stopped");
      step.skip = true;
      step.ended = stationPlaying;
      return step;
    }
    case EmbeddedPlayState::Connecting:
      return status("Connecting");
    case EmbeddedPlayState::Buffering:
      // Filling the buffer again while playing leaves "Buffering (N seconds)" standing.
      return stationPlaying ? PlayStateStep{} : status("Buffering");
    case EmbeddedPlayState::Playing:
      return stationPlaying ? PlayStateStep{} : startsPlaying();
    case EmbeddedPlayState::Failed: {
      PlayStateStep step;
      step.failed = true;
      return step;
    }
    case EmbeddedPlayState::Paused:
      break;
  }
  return {};
}

// The playlist loop: every state has its text with three dots; an entry that stops or comes to
// its end after it played has ended.
PlayStateStep playlistStep(EmbeddedPlayState state, bool stationPlaying)
{
  switch (state) {
    case EmbeddedPlayState::Idle:
    case EmbeddedPlayState::Ended: {
      PlayStateStep step = status("Stopped...");
      step.ended = stationPlaying || state == EmbeddedPlayState::Ended;
      return step;
    }
    case EmbeddedPlayState::Paused:
      return status("Paused...");
    case EmbeddedPlayState::Playing:
      return startsPlaying();
    case EmbeddedPlayState::Connecting:
      return status("Loading...");
    case EmbeddedPlayState::Buffering:
      return status("Buffering...");
    case EmbeddedPlayState::Failed: {
      PlayStateStep step;
      step.failed = true;
      return step;
    }
  }
  return {};
}

}  // namespace

PlayStateStep playStateStep(PlayWatch watch, EmbeddedPlayState state, bool stationPlaying)
{
  return watch == PlayWatch::Monitor ? monitorStep(state, stationPlaying)
                                     : playlistStep(state, stationPlaying);
}

QString bufferingText(int seconds)
{
  return QStringLiteral("Buffering (") + QString::number(seconds) + QStringLiteral(" seconds)");
}

std::optional<QString> bitRateText(double bitsPerSecond)
{
  const double kilobits = std::nearbyint(bitsPerSecond / 1024.0);  // ties to even
  if (!(kilobits > 0)) return std::nullopt;
  return QString::number(static_cast<qint64>(kilobits)) + QLatin1Char('k');
}

QString formatSeconds(qint64 seconds)
{
  const auto twoDigits = [](qint64 value) {
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
  };
  return twoDigits(seconds / 60) + QLatin1Char(':') + twoDigits(seconds % 60);
}

std::optional<QString> positionText(double position, double length)
{
  if (position == 0) return std::nullopt;
  const auto whole = [](double seconds) { return static_cast<qint64>(std::llround(std::max(0.0, seconds))); };
  return QLatin1Char('[') + formatSeconds(whole(position)) + QLatin1Char('/') + formatSeconds(whole(length)) +
         QLatin1Char(']');
}

}  // namespace tessivar
