// Where a request ends and when it is refused, before any handler sees it; who counts as one client;
// how sign-ups are paced.
#include "server/client_limits.h"
#include "server/request_framer.h"
#include "support/test_environment.h"

using namespace tessivar::directory;
using State = Framing::State;

Q_DECLARE_METATYPE(State)

class TestRequestLimits : public QObject
{
  Q_OBJECT

 private slots:
  void framing_data()
  {
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<State>("state");
    QTest::addColumn<int>("lengthOrStatus");  // Complete: bytes of the first request; Refused: status

    const QByteArray get = "GET /reg.asp?V=3.7 HTTP/1.1\r\nHost: h\r\n";
    QTest::newRow("plain") << get + "\r\n" << State::Complete << int(get.size() + 2);
    QTest::newRow("pipelined: the first only") << get + "\r\n" + get + "\r\n"
                                               << State::Complete << int(get.size() + 2);
    QTest::newRow("head not ended") << get << State::Incomplete << 0;
    QTest::newRow("LF-only blank line") << get + "\n" << State::Incomplete << 0;
    QTest::newRow("body whole") << get + "Content-Length: 5\r\n\r\nabcdeGET" << State::Complete
                                << int(get.size() + 26);
    QTest::newRow("body partial") << get + "Content-Length: 5\r\n\r\nabc" << State::Incomplete << 0;
    const QByteArray twice = get + "Content-Length: 0\r\ncontent-length:  0 \r\n\r\n";
    QTest::newRow("same length twice") << twice << State::Complete << int(twice.size());
    QTest::newRow("length -1") << get + "Content-Length: -1\r\n\r\n" << State::Refused << 400;
    QTest::newRow("length of 20 digits") << get + "Content-Length: 99999999999999999999\r\n\r\n"
                                         << State::Refused << 400;
    QTest::newRow("length not a number") << get + "Content-Length: 5x\r\n\r\n" << State::Refused << 400;
    QTest::newRow("length empty") << get + "Content-Length:\r\n\r\n" << State::Refused << 400;
    QTest::newRow("length list") << get + "Content-Length: 1, 1\r\n\r\n" << State::Refused << 400;
    QTest::newRow("two lengths") << get + "Content-Length: 1\r\nContent-Length: 2\r\n\r\n"
                                 << State::Refused << 400;
    QTest::newRow("body too large") << get + "Content-Length: 65537\r\n\r\n" << State::Refused << 413;
    QTest::newRow("chunked") << get + "Transfer-Encoding: chunked\r\n\r\n" << State::Refused << 501;
    QTest::newRow("bare LF") << get + "X: a\nContent-Length: 5\r\n\r\n" << State::Refused << 400;
    QTest::newRow("NUL") << get + QByteArray("X: a\0b\r\n\r\n", 11) << State::Refused << 400;
    QTest::newRow("blank before colon") << get + "Content-Length : 5\r\n\r\n" << State::Refused << 400;
    QTest::newRow("folded line") << get + " folded\r\n\r\n" << State::Refused << 400;
    QTest::newRow("no colon") << get + "Host\r\n\r\n" << State::Refused << 400;
    const QByteArray longestLine = "GET /" + QByteArray(8192 - 14, 'a') + " HTTP/1.1";
    QTest::newRow("request line of the longest length") << longestLine + "\r\n\r\n"
                                                        << State::Complete << 8196;
    QTest::newRow("request line one byte longer") << longestLine + "a\r\n\r\n" << State::Refused << 414;
    QTest::newRow("request line too long, unended")
        << "GET /" + QByteArray(9000, 'a') << State::Refused << 414;
    QTest::newRow("head too long, unended")
        << get + QByteArray("X-Filler: " + QByteArray(100, 'f') + "\r\n").repeated(330) << State::Refused
        << 431;
  }

  void framing()
  {
    QFETCH(QByteArray, received);
    QFETCH(State, state);
    QFETCH(int, lengthOrStatus);
    // The same decision whether the bytes come at once or one at a time.
    for (const bool trickled : {false, true}) {
      RequestFramer framer;
      Framing framing;
      for (qsizetype end = trickled ? 1 : received.size(); end <= received.size(); ++end) {
        framing = framer.examine(std::string_view(received.constData(), static_cast<std::size_t>(end)));
        if (framing.state != State::Incomplete) break;
      }
      QCOMPARE(framing.state, state);
      if (state == State::Complete) QCOMPARE(int(framing.length), lengthOrStatus);
      if (state == State::Refused) QCOMPARE(framing.status, lengthOrStatus);
    }
  }

  void realIpIsTakenOnlyWhenGivenOnce()
  {
    const std::string head = "GET / HTTP/1.1\r\nX-Real-IP: 192.0.2.7\r\n";
    RequestFramer framer;
    QCOMPARE(framer.examine(head + "\r\n").realIp, std::string("192.0.2.7"));
    framer.reset();
    QCOMPARE(framer.examine(head + "X-Real-IP: 192.0.2.8\r\n\r\n").realIp, std::string());
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

  void connectionsAreCountedPerClient()
  {
    ConnectionCounter counter(2);
    QVERIFY(counter.admit("a") && counter.admit("a"));
    QVERIFY(!counter.admit("a"));
    QVERIFY(counter.admit("b"));
    counter.release("a");
    QVERIFY(counter.admit("a"));
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
