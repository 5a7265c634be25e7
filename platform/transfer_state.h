#pragma once

#include <QObject>

#include <QCoroTask>

#include <coroutine>
#include <vector>

class QTimer;

namespace tessivar {

class HttpTransfer;

// The flags that a window's waits share: StopRequested, TransferDone, TransferError and
// IdleTicks, with the one-second idle counter Timer1 that advances IdleTicks. The main window's
// search, related results, pre-verification and the scanner share one; an operation that must
// not disturb them (a description fetch for a player) makes one of its own.
// Every change wakes the waits, from the event loop, never from inside the change itself.
class TransferState final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TransferState)

 public:
  // IdleTicks goes back to 0 above this.
  static constexpr int idleTicksWrap = 50000;

  explicit TransferState(QObject *parent = nullptr);
  ~TransferState() override;

  bool stopRequested() const { return stopRequested_; }  // StopRequested
  void setStopRequested(bool stop);
  bool transferDone() const { return transferDone_; }  // TransferDone
  void setTransferDone(bool done);
  int transferError() const { return transferError_; }  // TransferError: 0, -1 or a number
  void setTransferError(int number);
  int idleTicks() const { return idleTicks_; }  // IdleTicks
  void setIdleTicks(int ticks);
  // A new request: StopRequested, TransferDone, TransferError and IdleTicks all cleared.
  void clearForRequest();

  // Waits while the transfer is busy, then until TransferDone, TransferError or StopRequested is
  // set, or the transfer has ended some other way (cancelled by a newer request).
  QCoro::Task<> waitForTransfer(HttpTransfer &transfer);

  // Awaits the next change of any flag (or a wake()). The result is false when the state itself has
  // gone: the waiter is then resumed once more, after every guard on the state (and on the object
  // that owned it) reads null, so that it can unwind instead of waiting for ever; it must not touch
  // the state again.
  class NextChange
  {
   public:
    explicit NextChange(TransferState &state) : state_(state) {}
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiter)
    {
      waiter_ = waiter;
      state_.waiters_.push_back(this);
    }
    [[nodiscard]] bool await_resume() const noexcept { return !stateGone_; }

   private:
    friend class TransferState;
    TransferState &state_;
    std::coroutine_handle<> waiter_;
    bool stateGone_ = false;
  };
  NextChange nextChange() { return NextChange(*this); }

  QTimer *idleTimer() const { return timer1_; }  // Timer1: 1000 ms, always on

 public slots:
  // Timer1's tick: IdleTicks + 1, back to 0 above idleTicksWrap.
  void idleTick();
  // Something a wait watches has changed outside the flags (a transfer event).
  void wake();

 signals:
  // A flag changed.
  void changed();

 private:
  void notify();

  QTimer *timer1_ = nullptr;
  std::vector<NextChange *> waiters_;
  std::vector<NextChange *> resuming_;  // taken from waiters_ by the wake now running
  bool wakeScheduled_ = false;
  bool stopRequested_ = false;
  bool transferDone_ = false;
  int transferError_ = 0;
  int idleTicks_ = 0;
};

}  // namespace tessivar
