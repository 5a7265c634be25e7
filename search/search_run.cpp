#include "search/search_run.h"

#include "app/product.h"
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

QString searchingText() { return QStringLiteral("Searching..."); }

ResultLayout layoutFor(SearchMode mode)
{
  return mode == SearchMode::Live ? ResultLayout::Live : ResultLayout::Archive;
}

// The eight boxes whose absence may thin out the results.
bool allPlayerFormatsSelected(const FormatBoxes &boxes)
{
  for (int FormatBoxes::*box : {&FormatBoxes::chkAV, &FormatBoxes::chkWA, &FormatBoxes::chkRA,
                                &FormatBoxes::chkRV, &FormatBoxes::chkNV, &FormatBoxes::chkNA,
                                &FormatBoxes::chkXDM, &FormatBoxes::chkMA}) {
    if (boxes.*box == 0)
      return false;
  }
  return true;
}

QString emptyResultMessage(const FormatBoxes &boxes)
{
  QString text = QStringLiteral("No results returned. Try a less specific search. ");
  if (!allPlayerFormatsSelected(boxes))
    text += QStringLiteral(" **NOTE : Not all player formats are selected, this may cause you "
                           "receive less results.");
  return text;
}

QString retrievingErrorMessage()
{
  return QStringLiteral("Error retrieving data, Please check your Internet connection or contact ")
         + product::supportEmail() + QStringLiteral(" for system status.");
}

QString connectingErrorMessage()
{
  return QStringLiteral("Error connecting to Halvorne. If this problem persists, please contact ")
         + product::supportEmail();
}

}  // namespace

// Awaits the next change of the shared transfer state. The waiter is resumed from the event loop,
// never from inside the transfer event or the setter that caused the change.
class SearchRun::NextChange
{
public:
  explicit NextChange(SearchRun &run) : m_run(run) {}
  bool await_ready() const noexcept { return false; }
  void await_suspend(std::coroutine_handle<> waiter) { m_run.m_waiters.push_back(waiter); }
  void await_resume() const noexcept {}

private:
  SearchRun &m_run;
};

SearchRun::SearchRun(SearchWindow &window, HttpTransfer &transfer, Prompter &prompter,
                     QObject *parent)
    : QObject(parent), m_window(window), m_transfer(transfer), m_prompter(prompter),
      m_transferGuard(&transfer)
{
  // A window that is a QObject is watched, so a run never touches it after it has gone.
  m_windowGuard = dynamic_cast<QObject *>(&window);
  m_windowTracked = !m_windowGuard.isNull();

  m_parser = new ResultPageParser(window.resultsModel(), window.relatedModel(), this);
  m_parser->setLayoutSource([this] {
    return windowExists() ? layoutFor(m_window.searchMode()) : ResultLayout::Live;
  });
  connect(m_parser, &ResultPageParser::searchCaptionChanged, this,
          [this](const QString &caption) {
            if (windowExists())
              m_window.setResultsCaption(caption);
          });
  connect(m_parser, &ResultPageParser::totalPagesChanged, this,
          [this](const QString &totalPages) {
            if (windowExists())
              m_window.showTotalPages(totalPages);
          });
  connect(m_parser, &ResultPageParser::progressChanged, this, [this](int maximum, int value) {
    if (!windowExists())
      return;
    if (m_window.progressMaximum() < maximum)
      m_window.setProgressMaximum(maximum);
    m_window.setProgressValue(std::min(value, m_window.progressMaximum()));
  });

  connect(&m_transfer, &HttpTransfer::documentOutput, this, &SearchRun::onDocumentOutput);
  connect(&m_transfer, &HttpTransfer::errorOccurred, this,
          [this](int number, const QString &) { onTransferError(number); });
  connect(&m_transfer, &HttpTransfer::finishedAny, this, &SearchRun::transferStateChanged);
  connect(this, &SearchRun::transferStateChanged, this, &SearchRun::scheduleWake);

  m_timer1 = new QTimer(this);
  m_timer1->setObjectName(QStringLiteral("Timer1"));
  m_timer1->setInterval(1000);
  connect(m_timer1, &QTimer::timeout, this, &SearchRun::idleTick);
  m_timer1->start();

  m_timer2 = new QTimer(this);
  m_timer2->setObjectName(QStringLiteral("Timer2"));
  m_timer2->setInterval(1000);
  connect(m_timer2, &QTimer::timeout, this, &SearchRun::clockTick);
}

SearchRun::~SearchRun() = default;

// --- Entry points -------------------------------------------------------------------------------

QCoro::Task<> SearchRun::SearchFromBox()
{
  if (m_window.searchText().isEmpty()) {
    m_prompter.ask(PromptIcon::Information, product::applicationName(),
                   QStringLiteral("Please enter search text."));
    co_return;
  }
  m_genreFormatCode = -1;
  co_await RunSearch(false, false, QString(), 0);
}

QCoro::Task<> SearchRun::startSearch()
{
  m_genreFormatCode = -1;
  co_await RunSearch(false, false, QString(), 0);
}

void SearchRun::stopSearch()
{
  if (m_transferGuard && !m_transfer.isIdle())
    m_transfer.cancel();
  setStopRequested(true);
}

QCoro::Task<> SearchRun::RunSearch(bool listAll, bool browse, QString letter, int page)
{
  // The window's search controls are locked while a run is on, but a genre menu entry is not:
  // one run at a time.
  if (m_searching)
    co_return;

  SearchInput input;
  input.keywordText = m_window.searchText();
  input.kind = browse    ? SearchRequestKind::Browse
               : listAll ? SearchRequestKind::ListAll
                         : SearchRequestKind::Keyword;
  input.letter = letter;
  input.page = page;
  input.genreFormatCode = m_genreFormatCode;
  input.mode = m_window.searchMode();
  input.formats = m_window.formatBoxes();
  input.connectionSpeed = m_window.connectionSpeed();
  input.minBitRate = m_window.minBitRate();
  input.minLength = m_window.minLength();
  input.dataServer = m_window.dataServer();

  const SearchQuery query = buildSearchQuery(input, m_window.searchHistory());
  if (query.outcome == SearchOutcome::EmptyKeywords) {
    m_prompter.ask(PromptIcon::Critical, product::applicationTitle(), emptyKeywordsMessage());
    co_return;
  }

  m_searching = true;
  const QPointer<SearchRun> self(this);

  // Lock the window.
  m_window.lockForSearch();
  m_window.resultsModel()->clear();
  m_window.relatedModel()->clear();
  m_window.setStatusText(1, searchingText());
  m_window.setResultsCaption(searchResultsCaption(0));

  // The prepared keyword text and the history entry.
  m_window.setSearchText(query.preparedKeywordText);
  if (query.historyEntry)
    m_window.addSearchHistoryEntry(*query.historyEntry);

  // Reset the shared state, start the clock. TransferDone is cleared before the request: the
  // transfer may end before the first wait returns.
  m_stopRequested = false;
  m_parser->setStopRequested(false);
  m_parser->setRelatedMode(false);
  m_parser->setConnectionSpeed(input.connectionSpeed);
  m_parser->setResultCount(0);
  m_parser->beginDocument();  // no leftover of an earlier page is taken for this one's
  m_idleTicks = 0;
  m_elapsedSeconds = 0;
  m_transferError = 0;
  m_transferDone = false;
  m_timer2->start();
  m_window.setStatusText(3, QString());

  // A "#" in the keywords would start a fragment, which never leaves the program, and cut off
  // the rest of the address: it goes out as "%23", which the server reads back as "#".
  m_transfer.requestDocument(QString(query.address).replace(u'#', QStringLiteral("%23")));
  co_await waitForTransfer();

  if (!self)
    co_return;
  // A stop set elsewhere (the scanner closing) ends the wait without cancelling: no transfer
  // outlives its run.
  if (m_stopRequested && m_transferGuard && !m_transfer.isIdle())
    m_transfer.cancel();
  // The window is closing: leave it as it is.
  if (windowGone())
    co_return finishClosing();

  m_timer2->stop();

  // A transfer that ended without its end, an error or a stop was taken over by a newer request
  // on the same transfer: the run ends quietly, like a stopped one.
  const bool abandoned = !m_transferDone && m_transferError == 0 && !m_stopRequested;
  const auto stopped = [this, abandoned] { return m_stopRequested || abandoned; };

  // A stopped run shows no message, so its unfinished tail is not taken for an error page.
  if (m_transferError == 0 && !stopped()) {
    if (const auto message = CheckServerErrorPage(responseBuffer())) {
      m_prompter.ask(PromptIcon::Critical, product::applicationName(), *message);
      if (!self)
        co_return;
      if (windowGone())
        co_return finishClosing();
      setTransferError(-1);
    }
  }

  if (resultCount() > 0) {
    ResultTableModel *results = m_window.resultsModel();
    if (results->rowCount() > 0) {
      const int column = m_window.searchMode() == SearchMode::Archive ? 3 : 0;
      results->sortRows(column, Qt::AscendingOrder, ResultTableModel::SortKind::Text);
    }
    if (m_window.searchMode() != SearchMode::Live) {
      co_await m_window.preVerify();
      if (!self)
        co_return;
      if (windowGone())
        co_return finishClosing();
    }
  } else if (m_transferError == 0 && !stopped()) {
    m_prompter.ask(PromptIcon::Information, product::applicationTitle(),
                   emptyResultMessage(m_window.formatBoxes()));
    if (!self)
      co_return;
    if (windowGone())
      co_return finishClosing();
  }

  if (!stopped() && m_transferError != 0) {
    m_prompter.ask(PromptIcon::Critical, product::applicationTitle(), retrievingErrorMessage());
    if (!self)
      co_return;
    if (windowGone())
      co_return finishClosing();
  }

  if (m_genreFormatCode != -1)
    m_window.setSearchText(QString());

  m_window.setSearchBoxEnabled(true);
  m_window.setProgressValue(0);
  m_window.setStatusText(1, QStringLiteral("Done"));
  if (resultCount() >= 1)
    m_window.setResultsCaption(searchResultsCaption(resultCount()));

  if (!stopped() && m_transferError != 0) {
    m_prompter.ask(PromptIcon::Critical, product::applicationTitle(), connectingErrorMessage());
    if (!self)
      co_return;
    if (windowGone())
      co_return finishClosing();
  }

  m_window.unlockAfterSearch();
  m_searching = false;
  emit searchFinished();
}

QCoro::Task<> SearchRun::waitForTransfer()
{
  const QPointer<SearchRun> self(this);
  // The transfer is idle again before its closing event arrives, so "not busy" ends the wait
  // also when the transfer ended without End or an error (cancelled by a newer request).
  while (m_transferGuard && m_transfer.isBusy() && !m_stopRequested && !m_transferDone && m_transferError == 0) {
    co_await NextChange(*this);
    if (!self)
      co_return;
  }
}

void SearchRun::scheduleWake()
{
  if (m_waiters.empty() || m_wakeScheduled)
    return;
  m_wakeScheduled = true;
  QTimer::singleShot(0, this, [this] {
    m_wakeScheduled = false;
    const std::vector<std::coroutine_handle<>> waiters = std::exchange(m_waiters, {});
    const QPointer<SearchRun> self(this);
    for (const std::coroutine_handle<> waiter : waiters) {
      if (!self)
        return;  // the run went away while an earlier waiter ran; the rest never resume
      waiter.resume();
    }
  });
}

// --- Shared state -------------------------------------------------------------------------------

void SearchRun::setStopRequested(bool stop)
{
  m_stopRequested = stop;
  m_parser->setStopRequested(stop);
  emit transferStateChanged();
}

void SearchRun::setTransferDone(bool done)
{
  m_transferDone = done;
  emit transferStateChanged();
}

void SearchRun::setTransferError(int number)
{
  m_transferError = number;
  emit transferStateChanged();
}

void SearchRun::setIdleTicks(int ticks)
{
  m_idleTicks = ticks;
  emit transferStateChanged();
}

int SearchRun::resultCount() const { return m_parser->resultCount(); }

QString SearchRun::responseBuffer() const { return QString::fromUtf8(m_parser->responseBuffer()); }

// --- Timers -------------------------------------------------------------------------------------

void SearchRun::idleTick()
{
  m_idleTicks += 1;
  if (m_idleTicks > idleTicksWrap)
    m_idleTicks = 0;
  emit transferStateChanged();
}

void SearchRun::clockTick()
{
  if (windowGone())
    return;
  m_window.setStatusText(1, searchingText());
  m_elapsedSeconds += 1;
  m_window.setStatusText(2, searchClockText(m_elapsedSeconds));
}

// --- Transfer events ----------------------------------------------------------------------------

void SearchRun::onDocumentOutput(DocumentState state, const QByteArray &block)
{
  if (m_stopRequested)
    return;
  switch (state) {
  case DocumentState::Begin:
    m_parser->beginDocument();
    m_idleTicks = 0;
    break;
  case DocumentState::Headers:
    m_idleTicks = 0;
    break;
  case DocumentState::Data:
    // The parser moves the progress bar (block length, then the unparsed length).
    m_idleTicks = 0;
    m_parser->extract(block);
    break;
  case DocumentState::Error:
    m_transferError = -1;
    break;
  case DocumentState::End:
    m_transferDone = true;
    break;
  }
  emit transferStateChanged();
}

void SearchRun::onTransferError(int number)
{
  // Every error event is the transfer's failure, whatever number it carries.
  m_transferError = number != 0 ? number : -1;
  emit transferStateChanged();
}

bool SearchRun::windowExists() const { return !m_windowTracked || !m_windowGuard.isNull(); }

bool SearchRun::windowGone() const { return !windowExists() || m_window.isUnloading(); }

// Ends a run whose window is closing: no clock and no transfer outlive it.
void SearchRun::finishClosing()
{
  m_timer2->stop();
  if (m_transferGuard && !m_transfer.isIdle())
    m_transfer.cancel();
  m_searching = false;
  emit searchFinished();
}

}  // namespace tessivar
