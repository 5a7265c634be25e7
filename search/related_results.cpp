#include "search/related_results.h"

#include "base/number_value.h"
#include "base/product.h"
#include "platform/prompter.h"
#include "results/result_table_model.h"
#include "search/directory_address.h"
#include "search/directory_client.h"
#include "search/error_page_check.h"
#include "search/related_results_window.h"
#include "search/result_parser.h"
#include "search/search_query.h"

#include <cmath>
#include <limits>
#include <utility>

namespace tessivar {

namespace {

// Related results always arrive in the archive layout.
constexpr int titleColumn = resultColumn(ResultLayout::Archive, ResultField::Name);

QString connectingErrorMessage()
{
  return QStringLiteral("Error connecting to Halvorne. If this problem persists, please contact ") +
         product::supportEmail();
}

}  // namespace

qint64 relatedItemNumber(QStringView itemId)
{
  const double value = numberValue(itemId);
  if (!(value >= 1)) return 0;
  if (value >= 9.0e18) return std::numeric_limits<qint64>::max();
  return static_cast<qint64>(std::floor(value));
}

RelatedResults::RelatedResults(RelatedResultsWindow &window, SearchRun &run, Prompter &prompter,
                               QObject *parent)
    : QObject(parent), window_(window), run_(&run), prompter_(prompter)
{
  // Rows that arrive move the caption along.
  connect(&run.parser(), &ResultPageParser::relatedCaptionChanged, this, [this](const QString &caption) {
    if (busy_ && !windowGone()) window_.setRelatedCaption(caption);
  });
  // An emptied grid no longer shows the last item's rows: a click on it asks again.
  if (ResultTableModel *related = window.relatedModel())
    connect(related, &QAbstractItemModel::modelReset, this, &RelatedResults::forgetLastRequest);
  connect(&run, &SearchRun::searchFinished, this, &RelatedResults::forgetLastRequest);
}

RelatedResults::~RelatedResults() = default;

QCoro::Task<> RelatedResults::ShowRelatedResults(int row, RelatedRequestInput input)
{
  if (input.mode != SearchMode::Archive || busy_ || !run_ || run_->isSearching() || windowGone()) co_return;

  ResultTableModel *related = window_.relatedModel();
  const QString id = window_.resultsModel()->resultAt(row, ResultLayout::Archive).itemId;
  if (id != lastRelatedId_) {
    related->clear();
    window_.showRelatedCaption();
  }
  const qint64 itemNumber = relatedItemNumber(id);
  if (itemNumber <= 0) {
    if (related->rowCount() == 0) related->setRowCount(1);
    related->setText(0, titleColumn, QStringLiteral("No additional information available."));
    co_return;
  }
  if (id == lastRelatedId_) co_return;

  // The request.
  const QPointer<RelatedResults> self(this);
  DirectoryClient &client = run_->client();
  ResultPageParser &parser = client.parser();
  lastRelatedId_ = id;
  busy_ = true;
  window_.lockForRelated();
  window_.setStatusText(1, QStringLiteral("Searching"));
  window_.setRelatedCaption(relatedResultsCaption(0));
  parser.setRelatedMode(true);
  parser.setResultCount(0);
  parser.beginDocument();
  const PageOutcome page = co_await client.fetchPage(
      directory_address::relatedResults(input.dataServer, itemNumber, input.formats));
  if (!self) co_return;

  const auto finish = [this] {
    busy_ = false;
    emit relatedFinished();
  };
  // The window is closing, or a search has taken the transfer over: its rows and flags are not
  // this request's, and nothing is reported.
  if (windowGone() || !run_ || run_->isSearching()) {
    if (run_ && !run_->isSearching()) parser.setRelatedMode(false);
    lastRelatedId_.clear();
    window_.unlockAfterRelated();
    co_return finish();
  }

  parser.setRelatedMode(false);
  window_.showRelatedGrid();
  if (parser.resultCount() >= 1) window_.setRelatedCaption(relatedResultsCaption(parser.resultCount()));
  window_.setProgressValue(0);
  window_.setSearchBoxEnabled(true);
  window_.setStatusText(1, QStringLiteral("Done"));

  // A transfer that ended without its end or an error was cancelled: like a stop.
  const bool stopped = page.stopped();
  bool failed = false;
  if (!stopped) {
    if (page.failed()) {
      failed = true;
      if (!tell(PromptIcon::Critical, product::applicationTitle(), connectingErrorMessage())) co_return;
    } else if (const auto message = CheckServerErrorPage(QString::fromUtf8(parser.responseBuffer()))) {
      failed = true;
      if (!tell(PromptIcon::Critical, product::applicationName(), *message)) co_return;
    }
  }
  if (stopped || failed) lastRelatedId_.clear();

  if (related->rowCount() > 0) {
    related->sortRows(titleColumn, Qt::AscendingOrder, ResultTableModel::SortKind::Text);
    window_.selectAllRelatedRows();
  }
  window_.unlockAfterRelated();
  finish();
}

bool RelatedResults::tell(PromptIcon icon, const QString &title, const QString &text)
{
  const QPointer<RelatedResults> self(this);
  prompter_.ask(icon, title, text);
  if (!self) return false;
  if (windowGone()) {
    lastRelatedId_.clear();
    window_.unlockAfterRelated();
    busy_ = false;
    emit relatedFinished();
    return false;
  }
  return true;
}

bool RelatedResults::windowGone() const
{
  return window_.isUnloading();
}

}  // namespace tessivar
