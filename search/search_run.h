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

class DirectoryClient;
class Prompter;
class ResultPageParser;
class ResultVerification;
class SearchWindow;
enum class PromptIcon;

// The main window's search: the run of one search through the directory client over the window's
// HTTP transfer (HTTP1), the search clock (Timer2), and the pre-verification of an archive or
// browse page's rows. The program's parts make it once the window it drives exists.
class SearchRun final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SearchRun)

 public:
  SearchRun(SearchWindow &window, HttpTransfer &transfer, ResultVerification &verification,
            Prompter &prompter, QObject *parent = nullptr);
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
  // the window calls. Cancels a running transfer; the stop holds until the next request, so the
  // page's pre-verification ends too.
  void stopSearch();
  bool stopRequested() const;

  bool isSearching() const { return searching_; }
  // Whether the last run that ended brought its page whole: not stopped before the page had
  // arrived, no transfer error, no error page. A stop during pre-verification leaves the page in.
  bool lastRunSucceeded() const { return succeeded_; }

  int elapsedSeconds() const { return elapsedSeconds_; }  // ElapsedSeconds
  int resultCount() const;                                // ResultCount
  // ResponseBuffer: the page text the parser has not consumed yet.
  QString responseBuffer() const;
  // The directory client the run requests its pages from. Related results request theirs from it
  // too, with its parser in related mode.
  DirectoryClient &client() { return *client_; }
  ResultPageParser &parser();

  QTimer *clockTimer() const { return timer2_; }  // Timer2: 1000 ms while a search runs

 public slots:
  // Timer2's tick: panel 1 "Searching...", ElapsedSeconds + 1, panel 2 the clock text.
  void clockTick();

 signals:
  // A run has ended, whichever way (also when the window was closing).
  void searchFinished();

 private:
  // Shows a message. False when the run must end: the run has gone while the message was up
  // (nothing of it may be touched then), or its window is closing (the run is then finished).
  bool tell(PromptIcon icon, const QString &title, const QString &text);
  bool windowExists() const;
  // The window has gone or is closing.
  bool windowGone() const;
  void finishClosing();

  SearchWindow &window_;
  ResultVerification &verification_;
  Prompter &prompter_;
  QPointer<QObject> windowGuard_;  // the window, when it is a QObject
  bool windowTracked_ = false;
  DirectoryClient *client_ = nullptr;
  QTimer *timer2_ = nullptr;

  bool searching_ = false;
  bool succeeded_ = false;
  SearchMode mode_ = SearchMode::Live;  // of the running search
  int elapsedSeconds_ = 0;
};

}  // namespace tessivar
