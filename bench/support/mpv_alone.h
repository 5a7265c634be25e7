#pragma once

// libmpv alone, beside which the program's players are timed.

#include "platform/mpv_player.h"

#include <QElapsedTimer>
#include <QString>

#include <mpv/client.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace tessivar::bench {

inline double median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// libmpv alone, with the options the program's players use: each run loads the stream and waits
// for playback; between runs the stream is stopped, and the next load follows after `gap`.
inline std::vector<double> mpvAlone(const QString &stream, int runs, std::chrono::milliseconds gap)
{
  std::setlocale(LC_NUMERIC, "C");
  mpv_handle *handle = mpv_create();
  for (const auto &[name, value] : MpvPlayer::options()) mpv_set_option_string(handle, name, value);
  for (const auto &[name, value] : {std::pair{"ao", "null"}, {"vo", "null"}})
    mpv_set_option_string(handle, name, value);
  mpv_initialize(handle);
  const QByteArray url = stream.toUtf8();
  std::vector<double> seconds;
  QElapsedTimer clock;
  for (int run = 0; run < runs; ++run) {
    const char *load[] = {"loadfile", url.constData(), "replace", nullptr};
    clock.start();
    mpv_command(handle, load);
    for (;;) {
      const mpv_event *event = mpv_wait_event(handle, 10);
      if (event->event_id == MPV_EVENT_PLAYBACK_RESTART) break;
      // The end of the stream stopped before (reason "stop") is no failure of this one.
      const bool failed =
          event->event_id == MPV_EVENT_END_FILE &&
          static_cast<const mpv_event_end_file *>(event->data)->reason != MPV_END_FILE_REASON_STOP;
      if (failed || event->event_id == MPV_EVENT_NONE) {
        std::fprintf(stderr, "libmpv alone did not play the stream (%s)\n", mpv_event_name(event->event_id));
        std::exit(1);
      }
    }
    seconds.push_back(double(clock.nsecsElapsed()) / 1e9);
    const char *stop[] = {"stop", nullptr};
    mpv_command(handle, stop);
    std::this_thread::sleep_for(gap);
    while (mpv_wait_event(handle, 0)->event_id != MPV_EVENT_NONE) {
    }
  }
  mpv_terminate_destroy(handle);
  return seconds;
}

}  // namespace tessivar::bench
