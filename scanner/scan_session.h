#pragma once

#include "platform/app_services.h"
#include "platform/station_list_file.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <QCoroTask>
#include <QElapsedTimer>

#include <functional>
#include <optional>

class QTimer;

namespace tessivar {

class EmbeddedPlayer;
class HttpTransfer;
class StreamRecording;
class ScanView;
class StationList;
class TransferState;

// What a scanner window is opened with, besides the services.
struct ScanSetup
{
  QString dataServer;
  // Add Preset's Set: stores the station in preset `slot` (0..9) the way the main window's presets
  // do, telling the user how it went; false when nothing was stored.
  std::function<bool(int slot, const QString &name, const QString &url)> assignPreset;
  // The program's recording, which Record starts and stops; the window makes its own without one.
  StreamRecording *recording = nullptr;
};

// The scanner's work behind its window: the station requests of a scan (one station at a time,
// the position echoed back, "LastScan" for a later resume), the two embedded players and what
// they report, the per-station countdown, and the playlist mode that plays the played list.
// The waits share the session's own StopRequested, TransferDone, TransferError and IdleTicks,
// so a search in the main window and the scanner never end each other's waits.
class ScanSession final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ScanSession)

 public:
  // A request that does not answer within this many idle seconds has failed.
  static constexpr int silenceSeconds = 30;
  // A station still connecting after more than this many seconds is left.
  static constexpr int connectSeconds = 15;
  // An answer longer than this is no station answer.
  static constexpr qsizetype longestAnswer = 4 * 1024 * 1024;
  // Station requests start at least this far apart, whatever happens.
  static constexpr int requestSpacingMs = 1000;
  // After this many stations in a row could not be played, the scan waits for the user.
  static constexpr int failuresBeforePause = 5;
  // The wait before the next station after `failures` stations in a row could not be played:
  // 2 s after the first, twice as long after each further one.
  static int retryDelayMs(int failures);

  ScanSession(ScanView &view, const AppServices &services, const ScanSetup &setup, QObject *parent = nullptr);
  ~ScanSession() override;

  // The window's load: the two players, both the embedded engine's; each has its message when the
  // engine cannot make it.
  void createPlayers();

  // --- scan mode ---------------------------------------------------------------------------------
  // cmdStart: the resume question, then the first station request. On a scan that paused after
  // stations in a row could not be played, it goes on.
  void start();
  // cmdNext: leave the station now (or go on after stations could not be played).
  void next();
  // Stations in a row could not be played: the scan waits for Start or Next.
  bool isStalled() const { return stalled_; }
  // cmdPause: the countdown stands still (Resume goes on); the player keeps playing.
  void togglePause();
  bool isPaused() const { return paused_; }

  // --- playlist mode -----------------------------------------------------------------------------
  // The played list lstPL.
  StationList &playedList() { return *playedList_; }
  // Entries handed over to be played: a list that is not playing starts afresh with them; a
  // playing list gets them at its end.
  void addPlaylistEntries(const QList<ListEntry> &entries);
  // DoPlaylist: plays the list from its first entry; returns when the list is over (or the window
  // closes). Does nothing while the list plays already.
  QCoro::Task<> DoPlaylist();
  bool isPlaylistMode() const { return playlistMode_; }
  bool isPlaylistRunning() const { return playlistRunning_; }
  int playlistIndex() const { return playlistIndex_; }
  void nextEntry();      // cmdNextC
  void previousEntry();  // cmdPrevC
  // Enter on the list: the entry at the list's current index plays next.
  void playChosenEntry();
  // Delete on the list: removes the entry at the current index; the playing position follows.
  void removeCurrentEntry();

  // --- both --------------------------------------------------------------------------------------
  // The window closes: every wait ends, the players stop, nothing plays or asks afterwards.
  void close();
  bool isClosing() const { return closing_; }

  // The station now shown (lName, lURL, StationWebsite).
  QString stationName() const { return lName_; }
  QString stationAddress() const { return lURL_; }
  QString stationWebsite() const { return stationWebsite_; }
  bool isStationPlaying() const { return stationPlaying_; }
  QString scanPosition() const { return scanPosition_; }
  QString statusText(int panel) const;

  TransferState &transferState() { return *state_; }
  EmbeddedPlayer *realPlayer() const { return realPlayer_; }
  EmbeddedPlayer *mediaPlayer() const { return mediaPlayer_; }

 public slots:
  // The timers' ticks (tests may call them instead of waiting).
  void fetchTick();    // Timer1: the next station request
  void watcherTick();  // Timer2: playback watcher
  void levelTick();    // Timer4: level animation
  void monitorTick();  // TimerReal: the player's reports

 signals:
  // The window has closed (lScanActive is cleared).
  void closed();
  // The stream's now-playing title changed; empty when none.
  void streamTitleChanged(const QString &title);
  // A station or entry began or stopped playing.
  void stationPlayingChanged(bool playing);
  // The station or entry now shown (name, address) or the pause changed.
  void nowPlayingChanged();

 private:
  QCoro::Task<> fetchStation();
  QCoro::Task<> playStation(EmbeddedPlayer *player, QString address);
  QCoro::Task<> stationCycle();
  QCoro::Task<> playlistWait();
  EmbeddedPlayer *playerFor(const QString &address, bool *realPlayer) const;
  void showStationAnswer(const QByteArray &answer);
  void afterStation(const std::optional<QString> &failure = std::nullopt);
  void stationFailed(const QString &reason);
  void stall();
  void resume();
  int untilNextRequestMs() const;
  void stopStation(EmbeddedPlayer *player);
  void setStatus(int panel, const QString &text);
  void setStationPlaying(bool playing);
  bool playsWithoutSound() const;
  void showStreamTitle(const QString &title);
  void requestFailed();
  void tell(int icon, const QString &text);
  void onDocumentOutput(int state, const QByteArray &block);

  ScanView &view_;
  AppServices services_;
  ScanSetup setup_;
  HttpTransfer *transfer_ = nullptr;
  TransferState *state_ = nullptr;
  StationList *playedList_ = nullptr;
  EmbeddedPlayer *realPlayer_ = nullptr;   // RealPlayerObj
  EmbeddedPlayer *mediaPlayer_ = nullptr;  // MediaPlayerObj
  EmbeddedPlayer *activePlayer_ = nullptr;
  QTimer *timer1_ = nullptr;
  QTimer *timer2_ = nullptr;
  QTimer *timer4_ = nullptr;
  QTimer *timerReal_ = nullptr;

  QString scanPosition_ = QStringLiteral("0");
  QByteArray responseText_;
  bool answerTooLong_ = false;
  QString lName_;
  QString lURL_;
  QString stationWebsite_;
  QString statusPanels_[2];
  QString streamTitle_;
  bool started_ = false;
  bool paused_ = false;
  bool skipNext_ = false;
  bool skipPrevious_ = false;
  bool closing_ = false;
  bool stationPlaying_ = false;
  bool stationPlayed_ = false;  // the station shown has played (it did not fail)
  bool userNext_ = false;       // the user left the station with Next
  bool stalled_ = false;
  int failuresInRow_ = 0;
  QString lastFailure_;
  QElapsedTimer lastRequest_;
  bool useRealPlayer_ = false;
  bool playlistMode_ = false;
  bool playlistRunning_ = false;
  int playlistIndex_ = 0;
  int levelFrame_ = 1;
  int monitorInterval_ = 1000;
  std::optional<int> lastPlayState_;
};

}  // namespace tessivar
