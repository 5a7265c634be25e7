// The threads that make the directory's answers: how many compute at once, and that a job waiting for
// something else (a slow client, the writer) does not hold up the queue.
#include "server/worker_pool.h"
#include "support/test_environment.h"

#include <atomic>
#include <chrono>
#include <future>

using namespace tessivar::directory;

class TestWorkerPool : public QObject
{
  Q_OBJECT

 private slots:
  void queuedJobsRunAndNoMoreComputeAtOnceThanAllowed()
  {
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    std::atomic<int> done{0};
    {
      WorkerPool pool(8, 2);
      for (int i = 0; i < 40; ++i) {
        pool.enqueue([&] {
          const int now = ++running;
          for (int seen = most; seen < now && !most.compare_exchange_weak(seen, now);) {
          }
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
          --running;
          ++done;
        });
      }
    }  // stopping runs what is still queued
    QCOMPARE(done.load(), 40);
    QVERIFY(most.load() <= 2);
  }

  void aJobWaitingForSomethingElseLetsTheNextOneRun()
  {
    std::promise<void> second;
    std::future<void> secondRan = second.get_future();
    std::atomic<bool> firstSawIt{false};
    {
      WorkerPool pool(2, 1);
      pool.enqueue([&] {
        const WorkerPool::Waiting waiting;
        firstSawIt = secondRan.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
      });
      pool.enqueue([&] { second.set_value(); });
    }
    QVERIFY(firstSawIt);
  }
};

TESSIVAR_TEST_MAIN(TestWorkerPool)
#include "test_worker_pool.moc"
