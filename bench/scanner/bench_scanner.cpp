// Plays one local live stream (a tone written by a server on its own thread of this process, sent
// as a stream server sends it) as a scanner station, again and again: the directory's answer arrives, the
// session shows the station, tells its embedded player to play it and shows "Playing". Beside
// it, in the same run, libmpv alone (the same options, no program around it) loads the same
// stream until playback starts, once right after stopping the last stream (as the scanner moves
// from station to station) and once from idle. Prints the median and best times of each and what
// the scanner adds to libmpv's own time: the goal is under 0.1 s added and at most 0.5 s from the
// answer to "Playing".
//   bench_scanner [RUNS]

#include "base/settings_store.h"
#include "platform/app_services.h"
#include "platform/embedded_player.h"
#include "platform/file_associations.h"
#include "platform/mpv_player.h"
#include "platform/process_starter.h"
#include "platform/prompter.h"
#include "platform/shell_opener.h"
#include "platform/test_embedded_player_media.h"
#include "platform/transfer_factory.h"
#include "scanner/scan_session.h"
#include "scanner/scan_view.h"
#include "support/mpv_alone.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <mpv/client.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace tessivar;
using bench::median;
using bench::mpvAlone;

namespace {

struct Silent final : Prompter, ShellOpener, ProcessStarter, FileAssociations
{
  PromptAnswer ask(PromptIcon, const QString &, const QString &text, PromptButtons) override
  {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return PromptAnswer::Ok;
  }
  bool open(const QString &) override { return false; }
  bool start(const QString &, const QStringList &) override { return false; }
  QProcess *startChild(const QString &, const QStringList &, QObject *) override { return nullptr; }
  QString findProgram(const QString &) const override { return {}; }
  QString defaultCommand(const QString &) override { return {}; }
};

// Times of one station: the answer shown, then "Playing".
struct Timing final : ScanView
{
  QElapsedTimer *clock = nullptr;
  qint64 shown = -1;
  qint64 playing = -1;
  std::function<void()> onPlaying;

  void setStatusText(int panel, const QString &text) override
  {
    if (panel == 1 && text == QStringLiteral("Playing") && playing < 0) {
      playing = clock->nsecsElapsed();
      if (onPlaying) onPlaying();
    }
  }
  void showStation(const StationAnswer &) override { shown = clock->nsecsElapsed(); }
  void setStatusWord(const QString &) override {}
  void setBitRateText(const QString &) override {}
  void setStreamTitle(const QString &) override {}
  void setNextEnabled(bool) override {}
  void setPauseEnabled(bool) override {}
  void setPresetsEnabled(bool) override {}
  void setPauseCaption(const QString &) override {}
  void showLevelPictures(bool) override {}
  void setLevelFrame(int) override {}
  int secondsPerStation() const override { return 1000; }
  QString style() const override { return QStringLiteral("Jazz"); }
  bool includeUnknown() const override { return false; }
  void showStationArea() override {}
  void setStartShown(bool) override {}
  void showPlaylistArea() override {}
  void closeWindow() override {}
};

// The directory: every request gets the same station answer.
class Directory
{
 public:
  explicit Directory(const QString &stream)
  {
    answer_ =
        "5@@@@http://site.test/@@@@Tone Radio@@@@" + stream.toUtf8() + "@@@@MP3@@@@Oslo@@@@Norway@@@@64k<BR>";
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket *socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
          if (!socket->readAll().contains("\r\n\r\n")) return;
          socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                        QByteArray::number(answer_.size()) + "\r\nConnection: close\r\n\r\n" + answer_);
          socket->disconnectFromHost();
        });
      }
    });
  }
  bool listen() { return server_.listen(QHostAddress::LocalHost); }
  QString host() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }

 private:
  QTcpServer server_;
  QByteArray answer_;
};

}  // namespace

int main(int argc, char **argv)
{
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

  // The stream server has a thread of its own, as a stream server elsewhere would.
  QString stream;
  QSemaphore ready;
  QEventLoop *serverLoop = nullptr;
  QThread *server = QThread::create([&] {
    test::ToneServer media;
    QEventLoop loop;
    if (media.listen()) stream = media.url("/live.wav");
    serverLoop = &loop;
    ready.release();
    loop.exec();
  });
  server->start();
  ready.acquire();
  if (stream.isEmpty()) return 1;
  Directory directory(stream);
  if (!directory.listen()) return 1;

  QTemporaryDir folder;
  SettingsStore settings(folder.filePath(QStringLiteral("settings.ini")));
  Silent silent;
  NetworkTransferFactory transfers;
  MpvPlayerEngine engine{EmbeddedPlayerSettings{QStringLiteral("null"), QStringLiteral("null")}};
  const AppServices services{settings, silent, silent, transfers, silent, silent, engine};

  QElapsedTimer clock;
  clock.start();
  Timing view;
  view.clock = &clock;
  ScanSession session(view, services, ScanSetup{directory.host(), {}});
  session.createPlayers();

  std::vector<double> scanner;
  view.onPlaying = [&] {
    scanner.push_back(double(view.playing - view.shown) / 1e9);
    view.shown = view.playing = -1;
    // The next station comes once this one's stop has settled.
    QTimer::singleShot(300, &session, [&] {
      if (int(scanner.size()) < runs)
        session.next();
      else
        app.quit();
    });
  };
  session.start();
  QTimer::singleShot(runs * 10000, &app, [&] {
    std::fprintf(stderr, "the scanner did not reach Playing\n");
    app.exit(1);
  });
  if (app.exec() != 0) return 1;
  session.close();

  // libmpv alone waits on its own thread, while the stream is served from this one.
  std::vector<double> switching;
  std::vector<double> fromIdle;
  std::thread worker([&] {
    switching = mpvAlone(stream, runs, std::chrono::milliseconds(0));
    fromIdle = mpvAlone(stream, runs, std::chrono::milliseconds(500));
    QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
  });
  app.exec();
  worker.join();
  QMetaObject::invokeMethod(serverLoop, &QEventLoop::quit, Qt::QueuedConnection);
  server->wait();
  delete server;
  const auto report = [](const char *what, const std::vector<double> &seconds) {
    std::printf("%-52s median %.3f s, best %.3f s\n", what, median(seconds),
                *std::min_element(seconds.begin(), seconds.end()));
  };
  std::printf("runs: %d, stream: %s\n", runs, qPrintable(stream));
  report("scanner: answer -> \"Playing\" (after the last station)", scanner);
  report("libmpv alone: load -> playback, right after a stop", switching);
  report("libmpv alone: load -> playback, from idle", fromIdle);
  // The scanner stops the last station just before it asks for the next: its time holds
  // libmpv's own closing of the last stream, which libmpv alone pays right after a stop too.
  const double added = median(scanner) - median(switching);
  std::printf("added by the scanner: %.3f s (goal < 0.100 s): %s\n", added, added < 0.1 ? "met" : "missed");
  std::printf("answer -> \"Playing\" in all: %.3f s (goal <= 0.500 s): %s\n", median(scanner),
              median(scanner) <= 0.5 ? "met" : "missed");
  return 0;
}
