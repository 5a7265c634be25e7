#include "search/search_run.h"

#include "base/product.h"
#include "platform/prompter.h"
#include "results/result_table_model.h"
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

constexpr int idleTicksWrap = 50000;

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

// Awaits the next change of the shared transfer state. The waiter is resumed from the event loop,
// never from inside the transfer event or the setter that caused the change.
class SearchRun::NextChange
{
 public:
  explicit NextChange(SearchRun &run) : run_(run) {}
  bool await_ready() const noexcept { return false; }
  void await_suspend(std::coroutine_handle<> waiter) { run_.waiters_.push_back(waiter); }
  void await_resume() const noexcept {}

 private:
  SearchRun &run_;
};

SearchRun::SearchRun(SearchWindow &window, HttpTransfer &transfer, Prompter &prompter, QObject *parent)
    : QObject(parent), window_(window), transfer_(transfer), prompter_(prompter), transferGuard_(&transfer)
{
  // A window that is a QObject is watched, so a run never touches it after it has gone.
  windowGuard_ = dynamic_cast<QObject *>(&window);
  windowTracked_ = !windowGuard_.isNull();

  parser_ = new ResultPageParser(window.resultsModel(), window.relatedModel(), this);
  parser_->setLayoutSource(
      [this] { return windowExists() ? layoutFor(window_.searchMode()) : ResultLayout::Live; });
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

  connect(&transfer_, &HttpTransfer::documentOutput, this, &SearchRun::onDocumentOutput);
  connect(&transfer_, &HttpTransfer::errorOccurred, this,
          [this](int number, const QString &) { onTransferError(number); });
  connect(&transfer_, &HttpTransfer::finishedAny, this, &SearchRun::transferStateChanged);
  connect(this, &SearchRun::transferStateChanged, this, &SearchRun::scheduleWake);

  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setInterval(1000);
  connect(timer1_, &QTimer::timeout, this, &SearchRun::idleTick);
  timer1_->start();

  timer2_ = new QTimer(this);
  timer2_->setObjectName(QStringLiteral("Timer2"));
  timer2_->setInterval(1000);
  connect(timer2_, &QTimer::timeout, this, &SearchRun::clockTick);
}

SearchRun::~SearchRun() = default;

// --- Entry points -------------------------------------------------------------------------------

QCoro::Task<> SearchRun::SearchFromBox()
{
  if (window_.searchText().isEmpty()) {
    prompter_.ask(PromptIcon::Information, product::applicationName(),
                  QStringLiteral("Please enter search text."));
    co_return;
  }
  genreFormatCode_ = -1;
  co_await RunSearch(false, false, QString(), 0);
}

QCoro::Task<> SearchRun::startSearch()
{
  genreFormatCode_ = -1;
  co_await RunSearch(false, false, QString(), 0);
}

void SearchRun::stopSearch()
{
  if (transferGuard_ && !transfer_.isIdle()) transfer_.cancel();
  setStopRequested(true);
}

QCoro::Task<> SearchRun::RunSearch(bool listAll, bool browse, QString letter, int page)
{
  // The window's search controls are locked while a run is on, but a genre menu entry is not:
  // one run at a time.
  if (searching_) co_return;

  SearchInput input;
  input.keywordText = window_.searchText();
  input.kind = browse    ? SearchRequestKind::Browse
               : listAll ? SearchRequestKind::ListAll
                         : SearchRequestKind::Keyword;
  input.letter = letter;
  input.page = page;
  input.genreFormatCode = genreFormatCode_;
  input.mode = window_.searchMode();
  input.formats = window_.formatBoxes();
  input.connectionSpeed = window_.connectionSpeed();
  input.minBitRate = window_.minBitRate();
  input.minLength = window_.minLength();
  input.dataServer = window_.dataServer();

  const SearchQuery query = buildSearchQuery(input, window_.searchHistory());
  if (query.outcome == SearchOutcome::EmptyKeywords) {
    prompter_.ask(PromptIcon::Critical, product::applicationTitle(), emptyKeywordsMessage());
    co_return;
  }

  searching_ = true;
  const QPointer<SearchRun> self(this);

  // Lock the window.
  window_.lockForSearch();
  window_.resultsModel()->clear();
  window_.relatedModel()->clear();
  window_.setStatusText(1, searchingText());
  window_.setResultsCaption(searchResultsCaption(0));

  // The prepared keyword text and the history entry.
  window_.setSearchText(query.preparedKeywordText);
  if (query.historyEntry) window_.addSearchHistoryEntry(*query.historyEntry);

  // Reset the shared state, start the clock. TransferDone is cleared before the request: the
  // transfer may end before the first wait returns.
  stopRequested_ = false;
  parser_->setStopRequested(false);
  parser_->setRelatedMode(false);
  parser_->setConnectionSpeed(input.connectionSpeed);
  parser_->setResultCount(0);
  parser_->beginDocument();  // no leftover of an earlier page is taken for this one's
  idleTicks_ = 0;
  elapsedSeconds_ = 0;
  transferError_ = 0;
  transferDone_ = false;
  timer2_->start();
  window_.setStatusText(3, QString());

  // A "#" in the keywords would start a fragment, which never leaves the program, and cut off
  // the rest of the address: it goes out as "%23", which the server reads back as "#".
  transfer_.requestDocument(QString(query.address).replace(u'#', QStringLiteral("%23")));
  co_await waitForTransfer();

  if (!self) co_return;
  // A stop set elsewhere (the scanner closing) ends the wait without cancelling: no transfer
  // outlives its run.
  if (stopRequested_ && transferGuard_ && !transfer_.isIdle()) transfer_.cancel();
  // The window is closing: leave it as it is.
  if (windowGone()) co_return finishClosing();

  timer2_->stop();

  // A transfer that ended without its end, an error or a stop was taken over by a newer request
  // on the same transfer: the run ends quietly, like a stopped one.
  const bool abandoned = !transferDone_ && transferError_ == 0 && !stopRequested_;
  const auto stopped = [this, abandoned] { return stopRequested_ || abandoned; };

  // A stopped run shows no message, so its unfinished tail is not taken for an error page.
  if (transferError_ == 0 && !stopped()) {
    if (const auto message = CheckServerErrorPage(responseBuffer())) {
      prompter_.ask(PromptIcon::Critical, product::applicationName(), *message);
      if (!self) co_return;
      if (windowGone()) co_return finishClosing();
      setTransferError(-1);
    }
  }

  if (resultCount() > 0) {
    ResultTableModel *results = window_.resultsModel();
    if (results->rowCount() > 0) {
      const int column = window_.searchMode() == SearchMode::Archive ? 3 : 0;
      results->sortRows(column, Qt::AscendingOrder, ResultTableModel::SortKind::Text);
    }
    if (window_.searchMode() != SearchMode::Live) {
      co_await window_.preVerify();
      if (!self) co_return;
      if (windowGone()) co_return finishClosing();
    }
  } else if (transferError_ == 0 && !stopped()) {
    prompter_.ask(PromptIcon::Information, product::applicationTitle(),
                  emptyResultMessage(window_.formatBoxes()));
    if (!self) co_return;
    if (windowGone()) co_return finishClosing();
  }

  if (!stopped() && transferError_ != 0) {
    prompter_.ask(PromptIcon::Critical, product::applicationTitle(), retrievingErrorMessage());
    if (!self) co_return;
    if (windowGone()) co_return finishClosing();
  }

  if (genreFormatCode_ != -1) window_.setSearchText(QString());

  window_.setSearchBoxEnabled(true);
  window_.setProgressValue(0);
  window_.setStatusText(1, QStringLiteral("Done"));
  if (resultCount() >= 1) window_.setResultsCaption(searchResultsCaption(resultCount()));

  if (!stopped() && transferError_ != 0) {
    prompter_.ask(PromptIcon::Critical, product::applicationTitle(), connectingErrorMessage());
    if (!self) co_return;
    if (windowGone()) co_return finishClosing();
  }

  window_.unlockAfterSearch();
  searching_ = false;
  emit searchFinished();
}

QCoro::Task<> SearchRun::waitForTransfer()
{
  const QPointer<SearchRun> self(this);
  // The transfer is idle again before its closing event arrives, so "not busy" ends the wait
  // also when the transfer ended without End or an error (cancelled by a newer request).
  while (transferGuard_ && transfer_.isBusy() && !stopRequested_ && !transferDone_ && transferError_ == 0) {
    co_await NextChange(*this);
    if (!self) co_return;
  }
}

void SearchRun::scheduleWake()
{
  if (waiters_.empty() || wakeScheduled_) return;
  wakeScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    wakeScheduled_ = false;
    const std::vector<std::coroutine_handle<>> waiters = std::exchange(waiters_, {});
    const QPointer<SearchRun> self(this);
    for (const std::coroutine_handle<> waiter : waiters) {
      if (!self) return;  // the run went away while an earlier waiter ran; the rest never resume
      waiter.resume();
    }
  });
}

// --- Shared state -------------------------------------------------------------------------------

void SearchRun::setStopRequested(bool stop)
{
  stopRequested_ = stop;
  parser_->setStopRequested(stop);
  emit transferStateChanged();
}

void SearchRun::setTransferDone(bool done)
{
  transferDone_ = done;
  emit transferStateChanged();
}

void SearchRun::setTransferError(int number)
{
  transferError_ = number;
  emit transferStateChanged();
}

void SearchRun::setIdleTicks(int ticks)
{
  idleTicks_ = ticks;
  emit transferStateChanged();
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

void SearchRun::idleTick()
{
  idleTicks_ += 1;
  if (idleTicks_ > idleTicksWrap) idleTicks_ = 0;
  emit transferStateChanged();
}

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
  if (stopRequested_) return;
  switch (state) {
    case DocumentState::Begin:
      parser_->beginDocument();
      idleTicks_ = 0;
      break;
    case DocumentState::Headers:
      idleTicks_ = 0;
      break;
    case DocumentState::Data:
      // The parser moves the progress bar (block length, then the unparsed length).
      idleTicks_ = 0;
      parser_->extract(block);
      break;
    case DocumentState::Error:
      transferError_ = -1;
      break;
    case DocumentState::End:
      transferDone_ = true;
      break;
  }
  emit transferStateChanged();
}

void SearchRun::onTransferError(int number)
{
  // Every error event is the transfer's failure, whatever number it carries.
  transferError_ = number != 0 ? number : -1;
  emit transferStateChanged();
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
