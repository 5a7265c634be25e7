#pragma once

#include "platform/http_transfer.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QCoroTask>

#include <coroutine>
#include <vector>

class QTimer;

namespace tessivar {

class Prompter;
class ResultPageParser;
class SearchWindow;

// The main window's search: the run of one search over the window's HTTP transfer (HTTP1), the
// transfer events that feed the page parser, the search clock (Timer2), the idle counter
// (Timer1) and the flags the window's waits share (StopRequested, TransferDone, TransferError,
// IdleTicks). The main window makes it once its two result models exist, with itself as parent.
class SearchRun final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SearchRun)

 public:
  SearchRun(SearchWindow &window, HttpTransfer &transfer, Prompter &prompter, QObject *parent = nullptr);
  ~SearchRun() override;

  // --- Entry points -----------------------------------------------------------------------------

  // One search: list all stations, a browse page (letter, page) or a keyword search (neither).
  // Refuses an empty search box for the two searches with a message. Returns when the run has
  // ended and the window is unlocked (or the window is closing). Does nothing while a run is on.
  QCoro::Task<> RunSearch(bool listAll, bool browse, QString letter, int page);
  // Enter in txtSearch or a pick from its list: "Please enter search text." for an empty box,
  // otherwise a keyword search with no genre.
  QCoro::Task<> SearchFromBox();
  // "&Start Search" (menuStart, and the toolbar's Search button while it reads "Search").
  QCoro::Task<> startSearch();
  // "S&top Search" (menuStop, and the toolbar's button while it reads "Stop"); also what closing
  // the window calls. Cancels a running transfer and sets StopRequested.
  void stopSearch();

  bool isSearching() const { return searching_; }

  // GenreFormatCode: -1 = none. The genre shortcuts set it before RunSearch; the search box,
  // "&Start Search" and "&List All Stations" reset it.
  int genreFormatCode() const { return genreFormatCode_; }
  void setGenreFormatCode(int code) { genreFormatCode_ = code; }

  // --- The shared transfer state of the main window --------------------------------------------
  // Every setter wakes the waits, so a changed flag is seen at once.

  bool stopRequested() const { return stopRequested_; }  // StopRequested
  void setStopRequested(bool stop);
  bool transferDone() const { return transferDone_; }  // TransferDone
  void setTransferDone(bool done);
  int transferError() const { return transferError_; }  // TransferError, -1 or a number
  void setTransferError(int number);
  int idleTicks() const { return idleTicks_; }  // IdleTicks
  void setIdleTicks(int ticks);
  int elapsedSeconds() const { return elapsedSeconds_; }  // ElapsedSeconds
  int resultCount() const;                                // ResultCount
  // ResponseBuffer: the page text the parser has not consumed yet.
  QString responseBuffer() const;
  // The page parser the transfer's data events feed (extract). Related results switch it to
  // related mode around their own request.
  ResultPageParser &parser() { return *parser_; }

  // Waits while the transfer is busy, then until TransferDone, TransferError or StopRequested is
  // set, or the transfer has ended some other way (cancelled by a newer request). For every
  // request on the window's transfer (searches, related results, the description fetch).
  QCoro::Task<> waitForTransfer();

  QTimer *idleTimer() const { return timer1_; }   // Timer1: 1000 ms, always on
  QTimer *clockTimer() const { return timer2_; }  // Timer2: 1000 ms while a search runs

 public slots:
  // Timer1's tick: IdleTicks + 1, back to 0 above 50000.
  void idleTick();
  // Timer2's tick: panel 1 "Searching...", ElapsedSeconds + 1, panel 2 the clock text.
  void clockTick();

 signals:
  // Any of the shared flags changed or a transfer event arrived; wakes the waits.
  void transferStateChanged();
  // A run has ended, whichever way (also when the window was closing).
  void searchFinished();

 private:
  class NextChange;

  void scheduleWake();

  void onDocumentOutput(DocumentState state, const QByteArray &block);
  void onTransferError(int number);
  bool windowExists() const;
  // The window has gone or is closing.
  bool windowGone() const;
  void finishClosing();

  SearchWindow &window_;
  HttpTransfer &transfer_;
  Prompter &prompter_;
  QPointer<QObject> windowGuard_;  // the window, when it is a QObject
  bool windowTracked_ = false;
  QPointer<HttpTransfer> transferGuard_;
  ResultPageParser *parser_ = nullptr;

  QTimer *timer1_ = nullptr;
  QTimer *timer2_ = nullptr;

  // Coroutines waiting in waitForTransfer(), resumed from the event loop after a change.
  std::vector<std::coroutine_handle<>> waiters_;
  bool wakeScheduled_ = false;

  bool searching_ = false;
  int genreFormatCode_ = -1;
  bool stopRequested_ = false;
  bool transferDone_ = false;
  int transferError_ = 0;
  int idleTicks_ = 0;
  int elapsedSeconds_ = 0;
};

}  // namespace tessivar
