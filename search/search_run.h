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
  SearchRun(SearchWindow &window, HttpTransfer &transfer, Prompter &prompter,
            QObject *parent = nullptr);
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

  bool isSearching() const { return m_searching; }

  // GenreFormatCode: -1 = none. The genre shortcuts set it before RunSearch; the search box,
  // "&Start Search" and "&List All Stations" reset it.
  int genreFormatCode() const { return m_genreFormatCode; }
  void setGenreFormatCode(int code) { m_genreFormatCode = code; }

  // --- The shared transfer state of the main window --------------------------------------------
  // Every setter wakes the waits, so a changed flag is seen at once.

  bool stopRequested() const { return m_stopRequested; }        // StopRequested
  void setStopRequested(bool stop);
  bool transferDone() const { return m_transferDone; }          // TransferDone
  void setTransferDone(bool done);
  int transferError() const { return m_transferError; }         // TransferError, -1 or a number
  void setTransferError(int number);
  int idleTicks() const { return m_idleTicks; }                 // IdleTicks
  void setIdleTicks(int ticks);
  int elapsedSeconds() const { return m_elapsedSeconds; }       // ElapsedSeconds
  int resultCount() const;                                      // ResultCount
  // ResponseBuffer: the page text the parser has not consumed yet.
  QString responseBuffer() const;
  // The page parser the transfer's data events feed (extract). Related results switch it to
  // related mode around their own request.
  ResultPageParser &parser() { return *m_parser; }

  // Waits while the transfer is busy, then until TransferDone, TransferError or StopRequested is
  // set, or the transfer has ended some other way (cancelled by a newer request). For every
  // request on the window's transfer (searches, related results, the description fetch).
  QCoro::Task<> waitForTransfer();

  QTimer *idleTimer() const { return m_timer1; }   // Timer1: 1000 ms, always on
  QTimer *clockTimer() const { return m_timer2; }  // Timer2: 1000 ms while a search runs

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

  SearchWindow &m_window;
  HttpTransfer &m_transfer;
  Prompter &m_prompter;
  QPointer<QObject> m_windowGuard;  // the window, when it is a QObject
  bool m_windowTracked = false;
  QPointer<HttpTransfer> m_transferGuard;
  ResultPageParser *m_parser = nullptr;

  QTimer *m_timer1 = nullptr;
  QTimer *m_timer2 = nullptr;

  // Coroutines waiting in waitForTransfer(), resumed from the event loop after a change.
  std::vector<std::coroutine_handle<>> m_waiters;
  bool m_wakeScheduled = false;

  bool m_searching = false;
  int m_genreFormatCode = -1;
  bool m_stopRequested = false;
  bool m_transferDone = false;
  int m_transferError = 0;
  int m_idleTicks = 0;
  int m_elapsedSeconds = 0;
};

}  // namespace tessivar
