// What the access log writes and that it never holds a request up; who counts as one client; how
// sign-ups are paced.
#include "server/access_log.h"
#include "server/client_limits.h"
#include "support/test_environment.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

using namespace tessivar::directory;

class TestRequestLimits : public QObject
{
  Q_OBJECT

 private slots:
  void accessLogEscapesWhatTheClientSent_data()
  {
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("logged");
    QTest::newRow("plain") << QByteArray("GET") << QByteArray("/top10.asp")
                           << QByteArray("\"GET /top10.asp\" 200 5");
    QTest::newRow("control bytes and 0xFF in the method")
        << QByteArray("G\x1B[2JT\x07\xFF") << QByteArray("/")
        << QByteArray("\"G\\x1B[2JT\\x07\\xFF /\" 200 5");
    QTest::newRow("quote and line break in the target")
        << QByteArray("GET") << QByteArray("/a\"b\nc") << QByteArray("\"GET /a\\x22b\\x0Ac\" 200 5");
    QTest::newRow("long target cut") << QByteArray("GET") << QByteArray(400, 'a')
                                     << QByteArray("\"GET " + QByteArray(300, 'a') + "...\" 200 5");
  }

  void accessLogEscapesWhatTheClientSent()
  {
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, logged);
    const std::string line = accessLogLine("192.0.2.7", method.toStdString(), target.toStdString(), 200, 5);
    QVERIFY(QByteArray::fromStdString(line).startsWith("192.0.2.7 - - ["));
    QVERIFY(QByteArray::fromStdString(line).endsWith(logged + "\n"));
  }

  void accessLogNeverWaitsForItsOutput()
  {
    // Nobody reads the pipe: lines beyond the queue are dropped and counted, and write() returns.
    std::signal(SIGPIPE, SIG_IGN);
    int fds[2];
    QCOMPARE(::pipe(fds), 0);
    std::FILE *out = ::fdopen(fds[1], "w");
    {
      AccessLog log(out, 16 * 1024);
      const std::string line = accessLogLine("192.0.2.7", "GET", "/top10.asp", 200, 5);
      for (int i = 0; i < 100000 && log.dropped() == 0; ++i) log.write(line);
      QVERIFY(log.dropped() > 0);
      ::close(fds[0]);  // lets the writer's blocked write fail, so the log can close
    }
    std::fclose(out);
  }

  void clientKeys_data()
  {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("key");
    QTest::newRow("IPv4") << QByteArray("192.0.2.7") << QByteArray("192.0.2.7");
    QTest::newRow("IPv4-mapped") << QByteArray("::ffff:192.0.2.7") << QByteArray("192.0.2.7");
    QTest::newRow("IPv6: its /64") << QByteArray("2001:db8:1:2:3:4:5:6") << QByteArray("2001:db8:1:2::/64");
    QTest::newRow("IPv6: same /64") << QByteArray("2001:db8:1:2::9") << QByteArray("2001:db8:1:2::/64");
  }

  void clientKeys()
  {
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, key);
    QCOMPARE(QByteArray::fromStdString(clientKey(address.toStdString())), key);
  }

  void signUpsRefillOverAMinute()
  {
    SignUpLimiter limiter(6);
    const auto start = SignUpLimiter::Clock::now();
    for (int i = 0; i < 6; ++i) QVERIFY(limiter.take("a", start));
    QVERIFY(!limiter.take("a", start));
    QVERIFY(limiter.take("b", start));  // another client has its own
    QCOMPARE(limiter.secondsToWait("a", start), 10);
    limiter.giveBack("a", start);
    QVERIFY(limiter.take("a", start));
    QVERIFY(!limiter.take("a", start + std::chrono::seconds(9)));
    QVERIFY(limiter.take("a", start + std::chrono::seconds(11)));
    QVERIFY(SignUpLimiter(0).take("a", start));  // 0: no limit
  }
};

TESSIVAR_TEST_MAIN(TestRequestLimits)
#include "test_request_limits.moc"
