// Two directories on one PostgreSQL catalogue behind nginx with the cluster configuration: one is
// killed in the middle of a load, and every search still gets its whole page.
#include "support/directory_fixture.h"
#include "support/test_environment.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using tessivar::test::DirectoryFixture;
using tessivar::test::HttpAnswer;

class TestClusterFailover : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_{DirectoryFixture::Backend::PostgreSql};

 private slots:
  void initTestCase()
  {
    if (tessivar::test::nginxBinary().isEmpty()) {
      std::fprintf(stderr, "SKIP: nginx is not installed\n");
      std::exit(77);
    }
    QVERIFY(directory_.importSampleCatalogue());
    // No answer cache: every request goes to the database.
    const QStringList options{QStringLiteral("--trusted-proxy"), QStringLiteral("127.0.0.1"),
                              QStringLiteral("--cache-mb"), QStringLiteral("0"), QStringLiteral("--quiet")};
    const quint16 first = directory_.startServer(options);
    const quint16 second = directory_.startServer(options);
    QVERIFY(first != 0 && second != 0);
    QVERIFY(directory_.startProxy(QStringLiteral("tessivar-directory-cluster.conf"), {first, second}));
  }

  void everySearchGetsItsPageWhileADirectoryDies()
  {
    const QList<QByteArray> targets{"/tessivar37.asp?V=3.7&P=T&T1=ska&F=1&MA=1&LIVE=1",
                                    "/tessivar37.asp?V=3.7&P=T&T1=jazz&F=1&MA=1&RA=1&NA=1",
                                    "/tessivar37.asp?V=3.7&P=T&T1=ALL&F=1&MA=1&RA=1&LIVE=1"};
    QList<QByteArray> pages;
    for (const QByteArray &target : targets) {
      const HttpAnswer answer = directory_.get(target);
      QCOMPARE(answer.status, 200);
      QVERIFY(answer.body.contains("<A HREF="));
      pages << answer.body;
    }

    // Four clients keep searching while this thread searches, kills the first directory half-way
    // and goes on; every answer is compared with the page it must be.
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::atomic<int> answered{0};
    const auto search = [&](int request) {
      const int which = request % static_cast<int>(targets.size());
      const HttpAnswer answer = directory_.get(targets[which]);
      if (answer.status != 200 || answer.body != pages[which]) ++wrong;
      ++answered;
    };
    std::vector<std::thread> clients;
    for (int client = 0; client < 4; ++client) {
      clients.emplace_back([&, client] {
        for (int request = client; !stop; ++request) search(request);
      });
    }
    for (int request = 0; request < 60; ++request) search(request);
    QVERIFY(directory_.killServer(0));
    for (int request = 0; request < 120; ++request) search(request);
    stop = true;
    for (auto &client : clients) client.join();
    QVERIFY(answered > 180);
    QCOMPARE(wrong.load(), 0);
  }
};

TESSIVAR_TEST_MAIN(TestClusterFailover)
#include "test_cluster_failover.moc"
