#include "platform/http_transfer_wait.h"

#include <QPointer>

#include <coroutine>
#include <memory>

namespace tessivar {

namespace {

// Wakes on the transfer's next finishedAny or on its destruction, and resumes the waiting
// coroutine through the event loop. Copies share one state.
class FinishedAwaiter
{
 public:
  explicit FinishedAwaiter(HttpTransfer *transfer) : state_(std::make_shared<State>())
  {
    state_->transfer = transfer;
  }

  bool await_ready() const noexcept { return !state_->transfer || !state_->transfer->isBusy(); }

  void await_suspend(std::coroutine_handle<> handle)
  {
    State *state = state_.get();
    state->handle = handle;
    state->finished = QObject::connect(state->transfer.data(), &HttpTransfer::finishedAny, &state->context,
                                       [state](const TransferOutcome &outcome) { state->wake(outcome); });
    state->destroyed =
        QObject::connect(state->transfer.data(), &QObject::destroyed, &state->context, [state] {
          state->wake({TransferOutcome::Kind::Cancelled, 0, 0, 0});
        });
  }

  TransferOutcome await_resume() const
  {
    if (state_->woken) return state_->outcome;
    return state_->transfer ? state_->transfer->lastOutcome()
                            : TransferOutcome{TransferOutcome::Kind::Cancelled, 0, 0, 0};
  }

 private:
  struct State
  {
    void wake(const TransferOutcome &result)
    {
      if (woken) return;
      woken = true;
      outcome = result;
      QObject::disconnect(finished);
      QObject::disconnect(destroyed);
      const std::coroutine_handle<> waiting = handle;
      QMetaObject::invokeMethod(
          &context, [waiting] { waiting.resume(); }, Qt::QueuedConnection);
    }

    QPointer<HttpTransfer> transfer;
    QObject context;
    QMetaObject::Connection finished;
    QMetaObject::Connection destroyed;
    std::coroutine_handle<> handle;
    TransferOutcome outcome;
    bool woken = false;
  };

  std::shared_ptr<State> state_;
};

}  // namespace

QCoro::Task<TransferOutcome> waitForFinished(HttpTransfer *transfer)
{
  FinishedAwaiter awaiter(transfer);
  co_return co_await awaiter;
}

}  // namespace tessivar
