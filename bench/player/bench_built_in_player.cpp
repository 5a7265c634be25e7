// Plays one local live stream (a tone written by a server on its own thread of this process) with
// the built-in player, again and again, from the play request to "Playing"; beside it, in the same
// run, libmpv alone loads the same stream until playback starts right after a stop. The goal is
// under 0.1 s added. Then an hour of stream with a new title every ten seconds, taken as fast as
// it comes, each title logged as the program logs it: the process's resident memory after a tenth,
// half and all of it (the goal: flat).
//   bench_built_in_player [RUNS]

#include "library/song_log.h"
#include "platform/mpv_player.h"
#include "platform/test_embedded_player_media.h"
#include "results/built_in_player.h"
#include "support/mpv_alone.h"
#include "support/process_memory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace tessivar;

int main(int argc, char **argv)
{
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

  QString live;
  QString hour;
  QSemaphore ready;
  QEventLoop *serverLoop = nullptr;
  QThread *server = QThread::create([&] {
    test::ToneServer media;
    QEventLoop loop;
    if (media.listen()) {
      live = media.url("/live.wav");
      hour = media.url("/hour.wav");
    }
    serverLoop = &loop;
    ready.release();
    loop.exec();
  });
  server->start();
  ready.acquire();
  if (live.isEmpty()) return 1;

  MpvPlayerEngine engine{EmbeddedPlayerSettings{QStringLiteral("null"), QStringLiteral("null")}};
  std::vector<double> builtIn;
  {
    BuiltInPlayer player(engine);
    QElapsedTimer clock;
    bool waiting = true;
    QObject::connect(&player, &BuiltInPlayer::changed, &app, [&] {
      if (!waiting || player.state() != EmbeddedPlayState::Playing) return;
      waiting = false;
      builtIn.push_back(double(clock.nsecsElapsed()) / 1e9);
      player.stop();
      QTimer::singleShot(300, &app, [&] {
        if (int(builtIn.size()) >= runs) return app.quit();
        waiting = true;
        clock.start();
        player.play(live, QStringLiteral("Tone Radio"));
      });
    });
    clock.start();
    player.play(live, QStringLiteral("Tone Radio"));
    QTimer::singleShot(runs * 10000, &app, [&] { app.exit(1); });
    if (app.exec() != 0) {
      std::fprintf(stderr, "the built-in player did not reach Playing: %s\n", qPrintable(player.stateText()));
      return 1;
    }
  }

  std::vector<double> switching;
  std::thread worker([&] {
    switching = bench::mpvAlone(live, runs, std::chrono::milliseconds(0));
    QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
  });
  app.exec();
  worker.join();

  // An hour of stream as fast as it comes.
  QTemporaryDir folder;
  SongLog log(folder.filePath(QStringLiteral("SongsHeard.log")));
  MpvPlayerEngine fast{EmbeddedPlayerSettings{QStringLiteral("null"), QStringLiteral("null"), true}};
  BuiltInPlayer player(fast);
  QObject::connect(&player, &BuiltInPlayer::titleHeard, &log,
                   [&log](const QString &station, const QString &url, const QString &title) {
                     log.record(station, url, title);
                   });
  const long before = bench::memoryKib("VmRSS");
  long atTenth = -1, atHalf = -1;
  int titles = 0;
  QObject::connect(&player, &BuiltInPlayer::titleHeard, &app, [&] {
    ++titles;
    if (titles == 36) atTenth = bench::memoryKib("VmRSS");
    if (titles == 180) atHalf = bench::memoryKib("VmRSS");
  });
  QObject::connect(&player, &BuiltInPlayer::changed, &app, [&] {
    if (player.state() == EmbeddedPlayState::Ended || player.state() == EmbeddedPlayState::Failed) app.quit();
  });
  QElapsedTimer hourClock;
  hourClock.start();
  player.play(hour, QStringLiteral("Hour Radio"));
  app.exec();
  const long atEnd = bench::memoryKib("VmRSS");
  const double hourSeconds = double(hourClock.elapsed()) / 1000;

  QMetaObject::invokeMethod(serverLoop, &QEventLoop::quit, Qt::QueuedConnection);
  server->wait();
  delete server;

  const auto report = [](const char *what, const std::vector<double> &seconds) {
    std::printf("%-50s median %.3f s, best %.3f s\n", what, bench::median(seconds),
                *std::min_element(seconds.begin(), seconds.end()));
  };
  std::printf("runs: %d, stream: %s\n", runs, qPrintable(live));
  report("built-in player: play -> \"Playing\"", builtIn);
  report("libmpv alone: load -> playback, right after a stop", switching);
  const double added = bench::median(builtIn) - bench::median(switching);
  std::printf("added by the built-in player: %.3f s (goal < 0.100 s): %s\n", added,
              added < 0.1 ? "met" : "missed");
  std::printf("an hour of stream in %.1f s (%s): %d titles heard, %lld logged\n", hourSeconds,
              qPrintable(player.stateText()), titles, static_cast<long long>(log.songs().size()));
  std::printf("resident memory: before %ld KiB, after a tenth %ld KiB, half %ld KiB, all %ld KiB\n", before,
              atTenth, atHalf, atEnd);
  std::printf("growth from a tenth to the end: %ld KiB\n", atEnd - atTenth);
  return 0;
}
