#include "search/directory_client.h"

#include "platform/transfer_state.h"
#include "search/result_parser.h"

namespace tessivar {

namespace {

// Bytes of a page without one result after which the page is given up.
constexpr qint64 pageWithoutResultsLimit = 16 * 1024 * 1024;

}  // namespace

DirectoryClient::DirectoryClient(HttpTransfer &transfer, ResultTableModel *results, ResultTableModel *related,
                                 QObject *parent)
    : QObject(parent),
      transfer_(&transfer),
      state_(new TransferState(this)),
      parser_(new ResultPageParser(results, related, this))
{
  // The parser stops cutting rows out of the page as soon as a stop is asked for.
  connect(state_, &TransferState::changed, this,
          [this] { parser_->setStopRequested(state_->stopRequested()); });
  connect(&transfer, &HttpTransfer::documentOutput, this, &DirectoryClient::onDocumentOutput);
  // Every error event is the transfer's failure, whatever number it carries.
  connect(&transfer, &HttpTransfer::errorOccurred, this,
          [this](int number, const QString &) { end(PageOutcome::End::Failed, number != 0 ? number : -1); });
  // The transfer is idle again before its closing event arrives, so "not busy" ends the wait also
  // when the transfer ended without its end or an error (a newer request took it over).
  connect(&transfer, &HttpTransfer::finishedAny, state_, &TransferState::wake);
}

DirectoryClient::~DirectoryClient() = default;

bool DirectoryClient::isBusy() const
{
  return transfer_ && transfer_->isBusy();
}

bool DirectoryClient::stopRequested() const
{
  return state_->stopRequested();
}

QString DirectoryClient::responseBuffer() const
{
  return QString::fromUtf8(parser_->responseBuffer());
}

void DirectoryClient::stop()
{
  if (transfer_ && !transfer_->isIdle()) transfer_->cancel();
  state_->setStopRequested(true);
}

QCoro::Task<PageOutcome> DirectoryClient::fetchPage(QString address)
{
  const QPointer<DirectoryClient> self(this);
  // Cleared before the request: the transfer may end before the first wait returns.
  outcome_.reset();
  state_->clearForRequest();
  if (!transfer_) co_return PageOutcome{PageOutcome::End::Failed, -1};
  transfer_->requestDocument(address);
  while (transfer_ && transfer_->isBusy() && !state_->stopRequested() && !outcome_) {
    if (!co_await state_->nextChange() || !self) co_return PageOutcome{PageOutcome::End::Stopped};
  }
  // A stop, or a page given up on, ends the wait without cancelling: no transfer outlives its
  // request.
  if (transfer_ && !transfer_->isIdle()) transfer_->cancel();
  if (state_->stopRequested()) co_return PageOutcome{PageOutcome::End::Stopped};
  if (outcome_) co_return *outcome_;
  co_return PageOutcome{PageOutcome::End::TakenOver};
}

void DirectoryClient::end(PageOutcome::End how, int errorNumber)
{
  outcome_ = PageOutcome{how, errorNumber};
  state_->wake();
}

void DirectoryClient::onDocumentOutput(DocumentState state, const QByteArray &block)
{
  // Nothing more is read once the request was stopped or has ended.
  if (state_->stopRequested() || outcome_) return;
  switch (state) {
    case DocumentState::Begin:
      parser_->beginDocument();
      break;
    case DocumentState::Headers:
      break;
    case DocumentState::Data:
      // The parser moves the progress along (block length, then the unparsed length).
      parser_->extract(block);
      if (parser_->bytesSinceLastAnchor() > pageWithoutResultsLimit) end(PageOutcome::End::Failed, -1);
      break;
    case DocumentState::Error:
      end(PageOutcome::End::Failed, -1);
      break;
    case DocumentState::End:
      end(PageOutcome::End::Arrived);
      break;
  }
}

}  // namespace tessivar
