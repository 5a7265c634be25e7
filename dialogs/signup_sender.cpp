#include "dialogs/signup_sender.h"

#include "base/program_options.h"
#include "platform/http_transfer.h"
#include "platform/http_transfer_wait.h"
#include "platform/transfer_factory.h"

#include <QPointer>
#include <QTimer>

namespace tessivar {

SignupSender::SignupSender(TransferFactory &transfers, QObject *parent) : QObject(parent)
{
  http_ = transfers.makeTransfer(this);
  http_->setObjectName(QStringLiteral("HTTP1"));
  limit_ = new QTimer(this);
  limit_->setSingleShot(true);
  connect(limit_, &QTimer::timeout, this, [this] {
    timedOut_ = true;
    http_->cancel();
  });
}

SignupSender::~SignupSender() = default;

bool SignupSender::isSending() const
{
  return http_->isBusy();
}

void SignupSender::cancel()
{
  limit_->stop();
  http_->cancel();
}

QCoro::Task<SignupSender::Result> SignupSender::send(const QString &address)
{
  QPointer<SignupSender> self(this);
  timedOut_ = false;
  http_->requestDocument(address);
  limit_->start(timeLimit_);
  const TransferOutcome outcome = co_await waitForFinished(http_);
  if (self.isNull()) co_return Result::Failed;
  limit_->stop();
  if (timedOut_) co_return Result::TimedOut;
  const bool answered = outcome.kind == TransferOutcome::Kind::Completed && outcome.httpStatus < 400;
  co_return answered ? Result::Sent : Result::Failed;
}

}  // namespace tessivar
