#pragma once

#include "platform/http_transfer.h"
#include "search/search_query.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QCoroTask>

class QTimer;

namespace tessivar {

class Prompter;
class ResultPageParser;
class SearchWindow;
class TransferState;
enum class PromptIcon;

// The main window's search: the run of one search over the window's HTTP transfer (HTTP1), the
// transfer events that feed the page parser and the search clock (Timer2). The waits go through
// the window's shared transfer state (StopRequested, TransferDone, TransferError, IdleTicks).
// The main window makes it once its two result models exist, with itself as parent.
class SearchRun final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SearchRun)

 public:
  SearchRun(SearchWindow &window, HttpTransfer &transfer, TransferState &state, Prompter &prompter,
            QObject *parent = nullptr);
  ~SearchRun() override;

  // --- Entry points -----------------------------------------------------------------------------

  // One search: list all stations, a browse page (letter, page) or a keyword search, as the input
  // says; the input carries everything the address is built from. Refuses an empty search box for
  // the two searches with a message. Returns when the run has ended and the window is unlocked
  // (or the window is closing). Does nothing while a run is on.
  QCoro::Task<> RunSearch(SearchInput input);
  // Enter in txtSearch or a pick from its list: "Please enter search text." for an empty box,
  // otherwise a keyword search with no genre.
  QCoro::Task<> SearchFromBox(SearchInput input);
  // "S&top Search" (menuStop, and the toolbar's button while it reads "Stop"); also what closing
  // the window calls. Cancels a running transfer and sets StopRequested.
  void stopSearch();

  bool isSearching() const { return searching_; }
  // Whether the last run that ended brought its page whole: not stopped before the page had
  // arrived, no transfer error, no error page. A stop during pre-verification leaves the page in.
  bool lastRunSucceeded() const { return succeeded_; }

  int elapsedSeconds() const { return elapsedSeconds_; }  // ElapsedSeconds
  int resultCount() const;                                // ResultCount
  // ResponseBuffer: the page text the parser has not consumed yet.
  QString responseBuffer() const;
  // The page parser the transfer's data events feed (extract). Related results switch it to
  // related mode around their own request.
  ResultPageParser &parser() { return *parser_; }
  TransferState &state() { return state_; }

  QTimer *clockTimer() const { return timer2_; }  // Timer2: 1000 ms while a search runs

 public slots:
  // Timer2's tick: panel 1 "Searching...", ElapsedSeconds + 1, panel 2 the clock text.
  void clockTick();

 signals:
  // A run has ended, whichever way (also when the window was closing).
  void searchFinished();

 private:
  void onDocumentOutput(DocumentState state, const QByteArray &block);
  void onTransferError(int number);
  // Shows a message. False when the run must end: the run has gone while the message was up
  // (nothing of it may be touched then), or its window is closing (the run is then finished).
  bool tell(PromptIcon icon, const QString &title, const QString &text);
  bool windowExists() const;
  // The window has gone or is closing.
  bool windowGone() const;
  void finishClosing();

  SearchWindow &window_;
  HttpTransfer &transfer_;
  TransferState &state_;
  Prompter &prompter_;
  QPointer<QObject> windowGuard_;  // the window, when it is a QObject
  bool windowTracked_ = false;
  QPointer<HttpTransfer> transferGuard_;
  ResultPageParser *parser_ = nullptr;
  QTimer *timer2_ = nullptr;

  bool searching_ = false;
  bool succeeded_ = false;
  SearchMode mode_ = SearchMode::Live;  // of the running search
  int elapsedSeconds_ = 0;
};

}  // namespace tessivar
