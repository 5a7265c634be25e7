#pragma once

#include "base/search_choices.h"
#include "search/search_run.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringView>

#include <QCoroTask>

namespace tessivar {

class Prompter;
class RelatedResultsWindow;
enum class PromptIcon;

// What a related-results request is built from: the window's state at the click.
struct RelatedRequestInput
{
  SearchMode mode = SearchMode::Live;
  FormatBoxes formats;
  QString dataServer;  // host, optionally host:port
};

// The item number sent for the item number text of a result: the whole part of its number
// value, so that nothing after the number ("12&X=1") reaches the request. 0 when there is none.
qint64 relatedItemNumber(QStringView itemId);

// Related results (ShowRelatedResults): a click on a row of MSHResults in the "Streaming Audio &&
// Video" mode asks the data server for clips related to that row's item and lists them in
// MSHResults2, through the search's own directory client and page parser (in related mode).
//
// One request at a time on the window's transfer: a click while a search or another related
// request runs is refused (nothing happens). A row without a positive item number shows "No
// additional information available." and asks nothing. A click on the item last asked about
// (LastRelatedID) asks nothing again while its rows are shown; the item is forgotten whenever
// MSHResults2 is emptied, every search, a mode switch (forgetLastRequest), and a request that
// failed or was stopped, so a second click asks again.
class RelatedResults final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(RelatedResults)

 public:
  // The run must be the window's own: its directory client requests the page.
  RelatedResults(RelatedResultsWindow &window, SearchRun &run, Prompter &prompter, QObject *parent = nullptr);
  ~RelatedResults() override;

  // The row (grid row of MSHResults) was clicked. Returns when the request, if any, has ended and
  // the window is unlocked.
  QCoro::Task<> ShowRelatedResults(int row, RelatedRequestInput input);

  bool isBusy() const { return busy_; }
  QString lastRelatedId() const { return lastRelatedId_; }  // LastRelatedID
  void forgetLastRequest() { lastRelatedId_.clear(); }

 signals:
  // A request that was sent has ended, whichever way.
  void relatedFinished();

 private:
  bool tell(PromptIcon icon, const QString &title, const QString &text);
  bool windowGone() const;

  RelatedResultsWindow &window_;
  QPointer<SearchRun> run_;
  Prompter &prompter_;
  QString lastRelatedId_;
  bool busy_ = false;
};

}  // namespace tessivar
