// The waits on a transfer state: every waiter is woken exactly once per change, also when one of them
// runs a nested event loop (a message box), and a state that goes away lets its waiters unwind.
#include "platform/transfer_state.h"
#include "support/test_environment.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <memory>

using namespace tessivar;

namespace {

// Waits for one change and records how it ended: 1 = woken, 2 = the state went away. With late, it
// then does what a message box does: an event loop of its own, in which a new wait starts and the
// state changes again, while the other waiters of the first change have not been woken yet.
QCoro::Task<> waitOnce(TransferState &state, int &outcome, int *late = nullptr)
{
  const bool stateThere = co_await state.nextChange();
  outcome = stateThere ? 1 : 2;
  if (stateThere && late) {
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    auto lateWait = waitOnce(state, *late);
    state.setTransferDone(true);
    loop.exec();
  }
}

}  // namespace

class TestTransferState : public QObject
{
  Q_OBJECT

 private slots:
  void aNestedEventLoopInOneWaiterLeavesNoOtherWaiterBehind()
  {
    TransferState state;
    int first = 0;
    int second = 0;
    int third = 0;
    int late = 0;
    auto a = waitOnce(state, first, &late);
    auto b = waitOnce(state, second);
    auto c = waitOnce(state, third);
    state.setStopRequested(true);
    QTRY_COMPARE(first, 1);
    QTRY_COMPARE(late, 1);
    QTRY_COMPARE(second, 1);
    QTRY_COMPARE(third, 1);
  }

  void waitersOfAStateThatGoesAwayUnwind()
  {
    auto state = std::make_unique<TransferState>();
    int outcome = 0;
    auto task = waitOnce(*state, outcome);
    QCOMPARE(outcome, 0);
    state.reset();
    QCOMPARE(outcome, 2);
  }

  void idleCounterTicksAndWraps()
  {
    TransferState state;
    QCOMPARE(state.idleTimer()->objectName(), QStringLiteral("Timer1"));
    QVERIFY(state.idleTimer()->isActive());
    state.setIdleTicks(49999);
    state.idleTick();
    QCOMPARE(state.idleTicks(), 50000);
    state.idleTick();
    QCOMPARE(state.idleTicks(), 0);
  }
};

TESSIVAR_TEST_MAIN(TestTransferState)
#include "test_transfer_state.moc"
