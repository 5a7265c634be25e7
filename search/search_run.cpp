#include "search/search_run.h"

#include "base/product.h"
#include "platform/prompter.h"
#include "platform/transfer_state.h"
#include "results/result_table_model.h"
#include "results/results_layout.h"
#include "search/error_page_check.h"
#include "search/result_parser.h"
#include "search/search_clock.h"
#include "search/search_query.h"
#include "search/search_window.h"

#include <QTimer>

#include <algorithm>
#include <utility>

namespace tessivar {

namespace {

// Bytes of a page without one result after which the page is given up.
constexpr qint64 pageWithoutResultsLimit = 16 * 1024 * 1024;

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

SearchRun::SearchRun(SearchWindow &window, HttpTransfer &transfer, TransferState &state, Prompter &prompter,
                     QObject *parent)
    : QObject(parent),
      window_(window),
      transfer_(transfer),
      state_(state),
      prompter_(prompter),
      transferGuard_(&transfer)
{
  // A window that is a QObject is watched, so a run never touches it after it has gone.
  windowGuard_ = dynamic_cast<QObject *>(&window);
  windowTracked_ = !windowGuard_.isNull();

  parser_ = new ResultPageParser(window.resultsModel(), window.relatedModel(), this);
  // Related results always arrive in the archive layout.
  parser_->setLayoutSource(
      [this] { return parser_->relatedMode() ? ResultLayout::Archive : layoutFor(mode_); });
  connect(parser_, &ResultPageParser::searchCaptionChanged, this, [this](const QString &caption) {
    if (windowExists()) window_.setResultsCaption(caption);
  });
  connect(parser_, &ResultPageParser::totalPagesChanged, this, [this](const QString &totalPages) {
    if (windowExists()) window_.showTotalPages(totalPages);
  });
  connect(parser_, &ResultPageParser::progressChanged, this, [this](int maximum, int value) {
    if (!windowExists()) return;
    if (window_.progressMaximum() < maximum) window_.setProgressMaximum(maximum);
    window_.setProgressValue(std::min(value, window_.progressMaximum()));
  });
  // The parser stops cutting rows out of the page as soon as a stop is asked for.
  connect(&state_, &TransferState::changed, this,
          [this] { parser_->setStopRequested(state_.stopRequested()); });

  connect(&transfer_, &HttpTransfer::documentOutput, this, &SearchRun::onDocumentOutput);
  connect(&transfer_, &HttpTransfer::errorOccurred, this,
          [this](int number, const QString &) { onTransferError(number); });

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
  if (transferGuard_ && !transfer_.isIdle()) transfer_.cancel();
  state_.setStopRequested(true);
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

  // Reset the shared state, start the clock. TransferDone is cleared before the request: the
  // transfer may end before the first wait returns.
  state_.clearForRequest();
  parser_->setRelatedMode(false);
  parser_->setConnectionSpeed(input.connectionSpeed);
  parser_->setResultCount(0);
  parser_->beginDocument();  // no leftover of an earlier page is taken for this one's
  elapsedSeconds_ = 0;
  timer2_->start();
  window_.setStatusText(3, QString());

  transfer_.requestDocument(query.address);
  co_await state_.waitForTransfer(transfer_);

  if (!self) co_return;
  // A stop set elsewhere (the scanner closing), or a page given up on, ends the wait without
  // cancelling: no transfer outlives its run.
  if ((state_.stopRequested() || state_.transferError() != 0) && transferGuard_ && !transfer_.isIdle())
    transfer_.cancel();
  // The window is closing: leave it as it is.
  if (windowGone()) co_return finishClosing();

  timer2_->stop();

  // A transfer that ended without its end, an error or a stop was taken over by a newer request
  // on the same transfer: the run ends quietly, like a stopped one.
  const bool abandoned = !state_.transferDone() && state_.transferError() == 0 && !state_.stopRequested();
  const auto stopped = [this, abandoned] { return state_.stopRequested() || abandoned; };
  const auto failed = [this, stopped] { return !stopped() && state_.transferError() != 0; };

  // A stopped run shows no message, so its unfinished tail is not taken for an error page.
  if (state_.transferError() == 0 && !stopped()) {
    if (const auto message = CheckServerErrorPage(responseBuffer())) {
      if (!tell(PromptIcon::Critical, product::applicationName(), *message)) co_return;
      state_.setTransferError(-1);
    }
  }

  // The page is in whatever happens to its verification: a stop there only cuts the probing short.
  const bool pageArrived = state_.transferError() == 0 && !stopped();
  bool verifyStopped = false;
  if (resultCount() > 0) {
    ResultTableModel *results = window_.resultsModel();
    if (results->rowCount() > 0) {
      results->sortRows(results_layout::searchSortColumn(input.mode), Qt::AscendingOrder,
                        ResultTableModel::SortKind::Text);
    }
    if (input.mode != SearchMode::Live) {
      const bool stoppedBefore = state_.stopRequested();
      co_await window_.preVerify();
      if (!self) co_return;
      if (windowGone()) co_return finishClosing();
      verifyStopped = !stoppedBefore && state_.stopRequested();
    }
  } else if (state_.transferError() == 0 && !stopped()) {
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
  return parser_->resultCount();
}

QString SearchRun::responseBuffer() const
{
  return QString::fromUtf8(parser_->responseBuffer());
}

// --- Timers -------------------------------------------------------------------------------------

void SearchRun::clockTick()
{
  if (windowGone()) return;
  window_.setStatusText(1, searchingText());
  elapsedSeconds_ += 1;
  window_.setStatusText(2, searchClockText(elapsedSeconds_));
}

// --- Transfer events ----------------------------------------------------------------------------

void SearchRun::onDocumentOutput(DocumentState state, const QByteArray &block)
{
  // Nothing more is read once the run was stopped or gave the page up.
  if (state_.stopRequested() || state_.transferError() != 0) return;
  switch (state) {
    case DocumentState::Begin:
      parser_->beginDocument();
      state_.setIdleTicks(0);
      break;
    case DocumentState::Headers:
      state_.setIdleTicks(0);
      break;
    case DocumentState::Data:
      // The parser moves the progress bar (block length, then the unparsed length).
      state_.setIdleTicks(0);
      parser_->extract(block);
      // Megabytes on end without a single result are not a result page: the page fails like a
      // broken transfer, before it can fill the memory.
      if (parser_->bytesSinceLastAnchor() > pageWithoutResultsLimit) state_.setTransferError(-1);
      break;
    case DocumentState::Error:
      state_.setTransferError(-1);
      break;
    case DocumentState::End:
      state_.setTransferDone(true);
      break;
  }
}

void SearchRun::onTransferError(int number)
{
  // Every error event is the transfer's failure, whatever number it carries.
  state_.setTransferError(number != 0 ? number : -1);
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
  if (transferGuard_ && !transfer_.isIdle()) transfer_.cancel();
  searching_ = false;
  emit searchFinished();
}

}  // namespace tessivar
