// Many clients at once, while the catalogue is re-imported: every answer is whole and the same as the
// one a lone client gets. (The thread-sanitizer run uses this as its workload: the answer cache with
// evictions, the access log, the search counts and the sign-ups are all touched from many workers.)
#include "support/directory_fixture.h"
#include "support/test_environment.h"

#include <QMap>

#include <atomic>
#include <thread>
#include <vector>

using tessivar::test::DirectoryFixture;

class TestConcurrentClients : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;

 private slots:
  void initTestCase()
  {
    QVERIFY(directory_.importSampleCatalogue());
    // A small cache so that answers are evicted and made again under load; no per-client caps.
    QVERIFY(directory_.start({QStringLiteral("--cache-mb"), QStringLiteral("1"),
                              QStringLiteral("--connections-per-client"), QStringLiteral("0"),
                              QStringLiteral("--signups-per-minute"), QStringLiteral("0")}));
  }

  void everyClientGetsTheLoneClientsAnswer()
  {
    const QList<QByteArray> stable = {
        "/tessivar37.asp?V=3.7&P=T&T1=jazz&F=1&MA=1",
        "/tessivar37.asp?V=3.7&P=T&T1=reggae,ska&F=1&MA=1&LIVE=1",
        "/tessivar37.asp?V=3.7&P=T&T1=ALL&&F=1&RA=1&MA=1&NA=1&MPEG=1&LIVE=1&SPD=0",
        "/tessivar37.asp?V=3.7&P=T&T1=kettle+two&F=1&MA=1&SPD=0",
        "/browse/ra_k_1.asp",
        "/reg.asp?VER=1&P=T&V=3.7",
    };
    QMap<QByteArray, QByteArray> expected;
    for (const QByteArray &target : stable) {
      const auto answer = directory_.get(target);
      QCOMPARE(answer.status, 200);
      expected.insert(target, answer.body);
    }

    std::atomic<int> wrong{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> clients;
    for (int client = 0; client < 8; ++client) {
      clients.emplace_back([&, client] {
        for (int round = 0; round < 30; ++round) {
          const QByteArray &target = stable[(client + round) % stable.size()];
          const auto answer = directory_.get(target);
          if (answer.status != 200)
            ++failed;
          else if (answer.body != expected.value(target))
            ++wrong;
          // Searches nobody made before, counted and cached; a sign-up; the counts read back.
          const QByteArray word = "w" + QByteArray::number(client) + "x" + QByteArray::number(round);
          if (directory_.get("/tessivar37.asp?V=3.7&P=T&T1=" + word + "&F=1&MA=1").status != 200) ++failed;
          if (round % 10 == 0) {
            if (directory_.get("/maillist.asp?Email=" + word + "@example.test&Name=Fan").status != 200)
              ++failed;
            if (directory_.get("/top10.asp").status != 200) ++failed;
          }
        }
      });
    }
    // The same rows imported again while they search: a new generation, the same pages.
    const QString stations = directory_.folder() + QStringLiteral("/stations.csv");
    int imported = 0;
    for (int import = 0; import < 3; ++import)
      imported += directory_.import({QStringLiteral("--stations"), stations});
    for (std::thread &client : clients) client.join();
    QCOMPARE(imported, 3);
    QCOMPARE(failed.load(), 0);
    QCOMPARE(wrong.load(), 0);
  }
};

TESSIVAR_TEST_MAIN(TestConcurrentClients)
#include "test_concurrent_clients.moc"
