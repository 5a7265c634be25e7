#include "search/search_run.h"

#include "base/product.h"
#include "platform/prompter.h"
#include "results/result_table_model.h"
#include "results/results_layout.h"
#include "search/directory_client.h"
#include "search/error_page_check.h"
#include "search/result_parser.h"
#include "search/result_verification.h"
#include "search/search_clock.h"
#include "search/search_query.h"
#include "search/search_window.h"

#include <QTimer>

#include <algorithm>
#include <utility>

namespace tessivar {

namespace {

QString searchingText()
{
  return QStringLiteral("Searching...");
}

ResultLayout layoutFor(SearchMode mode)
{
  return mode == SearchMode::Live ? ResultLayout::Live : ResultLayout::Archive;
}

// The eight boxes whose absence may thin out the results.
bool allPlayerFormatsSelected(const FormatBoxes &boxes)
{
  for (int FormatBoxes::*box :
       {&FormatBoxes::chkAV, &FormatBoxes::chkWA, &FormatBoxes::chkRA, &FormatBoxes::chkRV,
        &FormatBoxes::chkNV, &FormatBoxes::chkNA, &FormatBoxes::chkXDM, &FormatBoxes::chkMA}) {
    if (boxes.*box == 0) return false;
  }
  return true;
}

QString emptyResultMessage(const FormatBoxes &boxes)
{
  QString text = QStringLiteral("No results returned. Try a less specific search. ");
  if (!allPlayerFormatsSelected(boxes))
    text += QStringLiteral(
        " **NOTE : Not all player formats are selected, this may cause you "
        "receive less results.");
  return text;
}

QString retrievingErrorMessage()
{
  return QStringLiteral("Error retrieving data, Please check your Internet connection or contact ") +
         product::supportEmail() + QStringLiteral(" for system status.");
}

QString connectingErrorMessage()
{
  return QStringLiteral("Error connecting to Halvorne. If this problem persists, please contact ") +
         product::supportEmail();
}

}  // namespace

SearchRun::SearchRun(SearchWindow &window, HttpTransfer &transfer, ResultVerification &verification,
                     Prompter &prompter, QObject *parent)
    : QObject(parent), window_(window), verification_(verification), prompter_(prompter)
{
  // A window that is a QObject is watched, so a run never touches it after it has gone.
  windowGuard_ = dynamic_cast<QObject *>(&window);
  windowTracked_ = !windowGuard_.isNull();

  client_ = new DirectoryClient(transfer, window.resultsModel(), window.relatedModel(), this);
  ResultPageParser *parser = &client_->parser();
  // Related results always arrive in the archive layout.
  parser->setLayoutSource(
      [this, parser] { return parser->relatedMode() ? ResultLayout::Archive : layoutFor(mode_); });
  connect(parser, &ResultPageParser::searchCaptionChanged, this, [this](const QString &caption) {
    if (windowExists()) window_.setResultsCaption(caption);
  });
  connect(parser, &ResultPageParser::totalPagesChanged, this, [this](const QString &totalPages) {
    if (windowExists()) window_.showTotalPages(totalPages);
  });
  connect(parser, &ResultPageParser::progressChanged, this, [this](int maximum, int value) {
    if (!windowExists()) return;
    if (window_.progressMaximum() < maximum) window_.setProgressMaximum(maximum);
    window_.setProgressValue(std::min(value, window_.progressMaximum()));
  });
  timer2_ = new QTimer(this);
  timer2_->setObjectName(QStringLiteral("Timer2"));
  timer2_->setInterval(1000);
  connect(timer2_, &QTimer::timeout, this, &SearchRun::clockTick);
}

SearchRun::~SearchRun() = default;

// --- Entry points -------------------------------------------------------------------------------

QCoro::Task<> SearchRun::SearchFromBox(SearchInput input)
{
  if (input.keywordText.isEmpty()) {
    prompter_.ask(PromptIcon::Information, product::applicationName(),
                  QStringLiteral("Please enter search text."));
    co_return;
  }
  input.kind = SearchRequestKind::Keyword;
  input.genreFormatCode = -1;
  co_await RunSearch(std::move(input));
}

void SearchRun::stopSearch()
{
  client_->stop();
}

bool SearchRun::stopRequested() const
{
  return client_->stopRequested();
}

ResultPageParser &SearchRun::parser()
{
  return client_->parser();
}

QCoro::Task<> SearchRun::RunSearch(SearchInput input)
{
  // The window's search controls are locked while a run is on, but a genre menu entry is not:
  // one run at a time.
  if (searching_) co_return;

  const SearchQuery query = buildSearchQuery(input, input.history);
  if (query.outcome == SearchOutcome::EmptyKeywords) {
    prompter_.ask(PromptIcon::Critical, product::applicationTitle(), emptyKeywordsMessage());
    co_return;
  }

  searching_ = true;
  succeeded_ = false;
  mode_ = input.mode;
  const QPointer<SearchRun> self(this);

  // Empty the grids, then lock the window: a grid that stops repainting first would go on
  // showing the previous search's rows.
  window_.resultsModel()->clear();
  window_.relatedModel()->clear();
  window_.lockForSearch();
  window_.setStatusText(1, searchingText());
  window_.setResultsCaption(searchResultsCaption(0));

  // The prepared keyword text and the history entry.
  window_.setSearchText(query.preparedKeywordText);
  if (query.historyEntry) window_.addSearchHistoryEntry(*query.historyEntry);

  // Start the clock.
  ResultPageParser &parser = client_->parser();
  parser.setRelatedMode(false);
  parser.setConnectionSpeed(input.connectionSpeed);
  parser.setResultCount(0);
  parser.beginDocument();  // no leftover of an earlier page is taken for this one's
  elapsedSeconds_ = 0;
  timer2_->start();
  window_.setStatusText(3, QString());

  PageOutcome page = co_await client_->fetchPage(query.address);

  if (!self) co_return;
  // The window is closing: leave it as it is.
  if (windowGone()) co_return finishClosing();

  timer2_->stop();

  // A stopped run shows no message, so its unfinished tail is not taken for an error page.
  if (page.arrived()) {
    if (const auto message = CheckServerErrorPage(responseBuffer())) {
      if (!tell(PromptIcon::Critical, product::applicationName(), *message)) co_return;
      page = PageOutcome{PageOutcome::End::Failed, -1};
    }
  }

  // The page is in whatever happens to its verification: a stop there only cuts the probing short.
  const bool pageArrived = page.arrived();
  // A failure is not reported once a stop has been asked for, also one during the verification.
  const auto failed = [this, &page] { return page.failed() && !client_->stopRequested(); };
  bool verifyStopped = false;
  if (resultCount() > 0) {
    ResultTableModel *results = window_.resultsModel();
    if (results->rowCount() > 0) {
      results->sortRows(results_layout::searchSortColumn(input.mode), Qt::AscendingOrder,
                        ResultTableModel::SortKind::Text);
    }
    if (input.mode != SearchMode::Live) {
      const bool stoppedBefore = client_->stopRequested();
      co_await verification_.verify(*results, client_->stopState(), input.verification);
      if (!self) co_return;
      if (windowGone()) co_return finishClosing();
      verifyStopped = !stoppedBefore && client_->stopRequested();
    }
  } else if (page.arrived()) {
    if (!tell(PromptIcon::Information, product::applicationTitle(), emptyResultMessage(input.formats)))
      co_return;
  }

  if (failed() && !tell(PromptIcon::Critical, product::applicationTitle(), retrievingErrorMessage()))
    co_return;

  if (input.genreFormatCode != -1) window_.setSearchText(QString());

  window_.setSearchBoxEnabled(true);
  window_.setProgressValue(0);
  // A verification stopped by the user has said so ("Verify Cancelled"): "Done" would hide it.
  if (!verifyStopped) window_.setStatusText(1, QStringLiteral("Done"));
  if (resultCount() >= 1) window_.setResultsCaption(searchResultsCaption(resultCount()));

  if (failed() && !tell(PromptIcon::Critical, product::applicationTitle(), connectingErrorMessage()))
    co_return;

  succeeded_ = pageArrived;
  window_.unlockAfterSearch();
  searching_ = false;
  emit searchFinished();
}

bool SearchRun::tell(PromptIcon icon, const QString &title, const QString &text)
{
  const QPointer<SearchRun> self(this);
  prompter_.ask(icon, title, text);
  if (!self) return false;
  if (windowGone()) {
    finishClosing();
    return false;
  }
  return true;
}

int SearchRun::resultCount() const
{
  return client_->parser().resultCount();
}

QString SearchRun::responseBuffer() const
{
  return client_->responseBuffer();
}

// --- Timers -------------------------------------------------------------------------------------

void SearchRun::clockTick()
{
  if (windowGone()) return;
  window_.setStatusText(1, searchingText());
  elapsedSeconds_ += 1;
  window_.setStatusText(2, searchClockText(elapsedSeconds_));
}

bool SearchRun::windowExists() const
{
  return !windowTracked_ || !windowGuard_.isNull();
}

bool SearchRun::windowGone() const
{
  return !windowExists() || window_.isUnloading();
}

// Ends a run whose window is closing: no clock and no transfer outlive it.
void SearchRun::finishClosing()
{
  timer2_->stop();
  if (client_->isBusy()) client_->stop();
  searching_ = false;
  emit searchFinished();
}

}  // namespace tessivar
