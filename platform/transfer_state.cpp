#include "platform/transfer_state.h"

#include "platform/http_transfer.h"

#include <QPointer>
#include <QTimer>

#include <memory>
#include <utility>

namespace tessivar {

TransferState::TransferState(QObject *parent) : QObject(parent), timer1_(new QTimer(this))
{
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setInterval(1000);
  connect(timer1_, &QTimer::timeout, this, &TransferState::idleTick);
  timer1_->start();
}

TransferState::~TransferState()
{
  auto gone = std::make_shared<std::vector<NextChange *>>(std::move(resuming_));
  gone->insert(gone->end(), waiters_.begin(), waiters_.end());
  if (gone->empty()) return;
  for (NextChange *waiter : *gone) waiter->stateGone_ = true;
  // QObject clears the guards on this object (and an owner being destroyed has cleared its own)
  // before it announces the destruction: the waiters resume then and find them null.
  connect(this, &QObject::destroyed, this, [gone] {
    for (NextChange *waiter : *gone) waiter->waiter_.resume();
  });
}

void TransferState::setStopRequested(bool stop)
{
  stopRequested_ = stop;
  notify();
}

void TransferState::setTransferDone(bool done)
{
  transferDone_ = done;
  notify();
}

void TransferState::setTransferError(int number)
{
  transferError_ = number;
  notify();
}

void TransferState::setIdleTicks(int ticks)
{
  idleTicks_ = ticks;
  notify();
}

void TransferState::clearForRequest()
{
  stopRequested_ = false;
  transferDone_ = false;
  transferError_ = 0;
  idleTicks_ = 0;
  notify();
}

void TransferState::idleTick()
{
  idleTicks_ += 1;
  if (idleTicks_ > idleTicksWrap) idleTicks_ = 0;
  notify();
}

QCoro::Task<> TransferState::waitForTransfer(HttpTransfer &transfer)
{
  const QPointer<TransferState> self(this);
  const QPointer<HttpTransfer> guard(&transfer);
  // The transfer is idle again before its closing event arrives, so "not busy" ends the wait
  // also when the transfer ended without its end or an error (cancelled by a newer request).
  const QMetaObject::Connection ended =
      connect(&transfer, &HttpTransfer::finishedAny, this, &TransferState::wake);
  while (guard && transfer.isBusy() && !stopRequested_ && !transferDone_ && transferError_ == 0) {
    if (!co_await nextChange() || !self) co_return;
  }
  disconnect(ended);
}

void TransferState::notify()
{
  emit changed();
  wake();
}

void TransferState::wake()
{
  if (waiters_.empty() || wakeScheduled_) return;
  wakeScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    wakeScheduled_ = false;
    // Appended, not replaced: a waiter may run a nested event loop (a message box) in which this runs
    // again; the waiters the outer run has not reached yet are then resumed by the inner one.
    resuming_.insert(resuming_.end(), waiters_.begin(), waiters_.end());
    waiters_.clear();
    const QPointer<TransferState> self(this);
    while (!resuming_.empty()) {
      NextChange *const waiter = resuming_.front();
      resuming_.erase(resuming_.begin());
      waiter->waiter_.resume();
      if (!self) return;  // the state went away while a waiter ran: its destruction resumes the rest
    }
  });
}

}  // namespace tessivar
