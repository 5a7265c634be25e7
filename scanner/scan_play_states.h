#pragma once

#include "platform/embedded_player.h"

#include <QString>

#include <optional>

namespace tessivar {

// How a station's player is watched: the monitor (scan mode, and RealPlayer stations in a
// playlist) or the playlist loop's state table (Windows Media Player stations in a playlist).
enum class PlayWatch { Monitor, Playlist };

// What one play state means for the station now playing.
struct PlayStateStep
{
  std::optional<QString> status;  // status panel 1, when it changes
  bool playing = false;           // the station plays (StationPlaying)
  bool skip = false;              // leave the station (SkipNext)
  bool ended = false;             // its playback has ended (TransferDone)
  bool failed = false;            // it failed: the player's error text goes to panel 1
};

// The step for a player state. stationPlaying: the station has already been reported playing.
PlayStateStep playStateStep(PlayWatch watch, EmbeddedPlayState state, bool stationPlaying);

// "Buffering (" + seconds + " seconds)".
QString bufferingText(int seconds);
// The bit-rate field for bits per second: kilobits (per 1024, a half to the even neighbour) +
// "k"; none when that is 0.
std::optional<QString> bitRateText(double bitsPerSecond);
// A whole number of seconds as minutes ":" seconds, two digits each at least ("12:34").
QString formatSeconds(qint64 seconds);
// The playlist's position text "[" position "/" length "]"; none before the position is known.
std::optional<QString> positionText(double position, double length);

}  // namespace tessivar
