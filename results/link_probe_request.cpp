#include "results/link_probe_request.h"

#include "platform/transfer_errors.h"

#include <QTimer>

namespace tessivar {

using link_probe::ProbeResult;

LinkProbeRequest::LinkProbeRequest(HttpTransfer &transfer, std::chrono::milliseconds timeout, QObject *parent)
    : QObject(parent), transfer_(transfer), deadline_(new QTimer(this))
{
  // A deadline of the whole probe, kept to the millisecond so that every probe of a dead host
  // costs the same.
  deadline_->setSingleShot(true);
  deadline_->setTimerType(Qt::PreciseTimer);
  deadline_->setInterval(timeout);
  connect(deadline_, &QTimer::timeout, this, [this] {
    if (!running_) return;
    transferId_ = 0;
    transfer_.cancel();
    end(link_probe::resultForError(transfer_error::TimedOut), 0);
  });
  connect(&transfer_, &HttpTransfer::documentOutput, this, [this](DocumentState state, const QByteArray &) {
    if (state == DocumentState::Headers) onHeaders();
  });
  connect(&transfer_, &HttpTransfer::finishedAny, this, &LinkProbeRequest::onFinished);
}

LinkProbeRequest::~LinkProbeRequest()
{
  abandon();
}

void LinkProbeRequest::start(const QString &address)
{
  abandon();
  running_ = true;
  redirects_ = 0;
  deadline_->start();
  request(address);
}

void LinkProbeRequest::abandon()
{
  if (!running_) return;
  running_ = false;
  transferId_ = 0;
  deadline_->stop();
  transfer_.cancel();
}

void LinkProbeRequest::request(const QString &address)
{
  address_ = address;
  transferId_ = 0;
  transferId_ = transfer_.requestDocument(address, link_probe::rangeHeaderLine());
}

void LinkProbeRequest::onHeaders()
{
  if (!running_ || transferId_ == 0) return;
  const QByteArray headers = transfer_.responseHeaders();
  // Everything the probe needs has arrived: the rest of the answer is not read.
  transferId_ = 0;
  transfer_.cancel();
  const link_probe::HeaderVerdict verdict = link_probe::judgeHeaders(headers, address_);
  if (verdict.redirect) {
    if (++redirects_ > link_probe::maxRedirects) return end(ProbeResult::Bad, 0);
    return request(*verdict.redirect);
  }
  end(verdict.result, verdict.contentLength);
}

void LinkProbeRequest::onFinished(const TransferOutcome &outcome)
{
  if (!running_ || transferId_ == 0 || outcome.transferId != transferId_) return;
  transferId_ = 0;
  switch (outcome.kind) {
    case TransferOutcome::Kind::Failed:
      return end(link_probe::resultForError(outcome.errorNumber), 0);
    case TransferOutcome::Kind::Completed: {
      // An answer that ended before its headers were reported is judged all the same.
      const link_probe::HeaderVerdict verdict =
          link_probe::judgeHeaders(transfer_.responseHeaders(), address_);
      return end(verdict.redirect ? ProbeResult::Bad : verdict.result, verdict.contentLength);
    }
    case TransferOutcome::Kind::Cancelled:
    case TransferOutcome::Kind::None:
      return end(ProbeResult::Bad, 0);
  }
}

void LinkProbeRequest::end(ProbeResult result, qint64 contentLength)
{
  running_ = false;
  deadline_->stop();
  emit finished(result, contentLength);
}

}  // namespace tessivar
