#include "platform/transfer_factory.h"
#include "platform/transfer_state.h"
#include "results/pre_verify.h"
#include "results/pre_verify_queue.h"
#include "results/result_table_model.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"

#include <QRandomGenerator>
#include <QTcpServer>

#include <map>
#include <memory>

using namespace tessivar;
using namespace std::chrono_literals;
using Server = tessivar::test::HttpTestServer;
using link_probe::ProbeResult;

Q_DECLARE_METATYPE(tessivar::test::HttpTestServer::Script)

namespace {

class FakeWindow final : public PreVerifyWindow
{
 public:
  void showVerifying(bool on) override { shown << on; }
  void setStatusText(int panel, const QString &text) override { status[panel] = text; }
  void resetProgress(int maximum) override { progressMaximum = maximum; }
  void setResultsRedraw(bool) override {}
  bool isClosing() const override { return false; }

  QList<bool> shown;
  std::map<int, QString> status;
  int progressMaximum = -1;
};

// One archive row per link: "Unknown" bit rate, title "t<n>", the link, bit-rate key "56".
void fill(ResultTableModel &model, const QStringList &links)
{
  model.setRowCount(int(links.size()));
  for (int row = 0; row < int(links.size()); ++row) {
    model.setText(row, 2, QStringLiteral("Unknown"));
    model.setText(row, 3, QStringLiteral("t%1").arg(row));
    model.setText(row, 5, links.at(row));
    model.setText(row, 8, QStringLiteral("56"));
  }
}

QStringList column(const ResultTableModel &model, int c)
{
  QStringList texts;
  for (int row = 0; row < model.rowCount(); ++row) texts << model.text(row, c);
  return texts;
}

// A port on which nothing listens: connections to it are refused.
quint16 refusingPort()
{
  QTcpServer server;
  if (!server.listen(QHostAddress::LocalHost, 0)) return 0;
  return server.serverPort();
}

QString link(const Server &server, int n)
{
  return server.url(QStringLiteral("/clip%1.rm").arg(n)).toString();
}

struct Verification
{
  explicit Verification(const QStringList &links) { fill(model, links); }
  void run(std::chrono::milliseconds timeout = 10s, int hostsAtOnce = 8)
  {
    ProbeOptions options;
    options.timeout = timeout;
    options.hostsAtOnce = hostsAtOnce;
    QCoro::waitFor(preVerifyResults(window, model, transfers, state, options));
  }
  ResultTableModel model;
  TransferState state;
  NetworkTransferFactory transfers;
  FakeWindow window;
};

Server::Script mediaScript()
{
  return {Server::send(Server::head(200, "OK", 100 * 1024, "audio/x-pn-realaudio")), Server::hold()};
}

}  // namespace

class TestPreVerify final : public QObject
{
  Q_OBJECT

 private slots:
  void answers_data();
  void answers();
  void deadHostTakesItsLinksDown_data();
  void deadHostTakesItsLinksDown();
  void stopMidProbe();
  void pendingStopProbesNothing();
  void windowGoneMidProbe();
  void removal_data();
  void removal();
  void queueOrderIsOneAtATimeOrder();
  void concurrentMarksEqualSequentialMarks();
};

void TestPreVerify::answers_data()
{
  QTest::addColumn<Server::Script>("script");
  QTest::addColumn<QString>("mark");
  QTest::addColumn<QString>("bitRate");

  QByteArray manyLines = "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\n";
  for (int line = 0; line < 1000; ++line) manyLines += "X-Junk: " + QByteArray(1000, 'a') + "\r\n";
  const auto held = [](const QByteArray &head) { return Server::Script{Server::send(head), Server::hold()}; };

  QTest::newRow("media, the clip never read") << mediaScript() << u"3"_qs << u"100k"_qs;
  QTest::newRow("web page") << Server::page(200, "OK", "<html></html>") << u"2"_qs << u"Unknown"_qs;
  QTest::newRow("megabyte header block") << held(manyLines + "\r\n") << u"2"_qs << u"Unknown"_qs;
  QTest::newRow("redirect followed")
      << held("HTTP/1.1 302 Found\r\nLocation: MEDIA\r\nContent-Length: 0\r\n\r\n") << u"3"_qs << u"100k"_qs;
}

void TestPreVerify::answers()
{
  QFETCH(Server::Script, script);
  QFETCH(QString, mark);
  QFETCH(QString, bitRate);
  Server media;
  Server server;
  QVERIFY(media.listen() && server.listen());
  media.setScript(mediaScript());
  for (Server::Step &step : script) step.bytes.replace("MEDIA", link(media, 9).toUtf8());
  server.setScript(script);

  // A second row, never probed: removal may take the first.
  Verification run({link(server, 1), u"rtsp://h/a.rm"_qs});
  run.run();
  if (mark == u"3"_qs) {
    QCOMPARE(run.model.text(0, 8), mark);
    QCOMPARE(run.model.text(0, 2), bitRate);
    QCOMPARE(run.model.textColor(0, 1), QColor(0, 128, 0));
  } else {
    QCOMPARE(run.model.rowCount(), 1);
  }
  QCOMPARE(column(run.model, 5).last(), u"rtsp://h/a.rm"_qs);  // never probed, never removed
  QCOMPARE(server.requests().size(), 1);
  QVERIFY(server.requests().first().contains("\r\nRange: bytes=1000"));
  QCOMPARE(run.window.progressMaximum, 2);
}

void TestPreVerify::deadHostTakesItsLinksDown_data()
{
  QTest::addColumn<Server::Script>("script");  // empty: refused
  QTest::newRow("refused") << Server::Script{};
  QTest::newRow("reset") << Server::Script{Server::reset()};
  QTest::newRow("silent, one time-out") << Server::Script{Server::hold()};
  QTest::newRow("closed before headers") << Server::Script{Server::close()};
}

void TestPreVerify::deadHostTakesItsLinksDown()
{
  QFETCH(Server::Script, script);
  Server good;
  Server dead;
  QVERIFY(good.listen() && dead.listen());
  good.setScript(mediaScript());
  dead.setScript(script);
  // Refused: the same links on a port nobody listens on.
  const quint16 refused = refusingPort();
  QStringList links{link(dead, 1), link(good, 2), link(dead, 3), link(dead, 4)};
  if (script.isEmpty()) links.replaceInStrings(QString::number(dead.port()), QString::number(refused));

  Verification run(links);
  run.run(300ms);
  QCOMPARE(column(run.model, 3), QStringList{u"t1"_qs});
  // One link asked for (the network layer itself sends a request again once when a connection
  // closes before any answer).
  if (!script.isEmpty()) QVERIFY(!dead.requests().isEmpty());
  for (const QByteArray &request : dead.requests()) QVERIFY(request.startsWith("GET /clip1.rm "));
}

void TestPreVerify::stopMidProbe()
{
  Server page;
  Server held;
  Server later;
  QVERIFY(page.listen() && held.listen() && later.listen());
  page.setScript(Server::page(200, "OK", "<html></html>"));
  held.setScript({Server::hold()});
  later.setScript(mediaScript());
  Verification run({link(page, 1), link(held, 2), link(held, 3), link(later, 4)});
  connect(&held, &Server::requestReceived, this, [&] { run.state.setStopRequested(true); });

  run.run(10s, 1);
  // The bad row found is removed; the probe under way and the rest stay unmarked.
  QCOMPARE(column(run.model, 3), (QStringList{u"t1"_qs, u"t2"_qs, u"t3"_qs}));
  QCOMPARE(column(run.model, 8), (QStringList{u"56"_qs, u"56"_qs, u"56"_qs}));
  QCOMPARE(later.requests().size(), 0);
  QCOMPARE(run.window.status[1], u"Verify Cancelled"_qs);
  QCOMPARE(run.window.status[2], QString());
  QCOMPARE(run.window.shown, (QList<bool>{true, false}));
}

void TestPreVerify::pendingStopProbesNothing()
{
  Server server;
  QVERIFY(server.listen());
  server.setScript(Server::page(200, "OK", "<html></html>"));
  Verification run({link(server, 1), link(server, 2)});
  run.state.setStopRequested(true);
  run.run();
  QCOMPARE(run.model.rowCount(), 2);
  QVERIFY(run.window.shown.isEmpty());
  QVERIFY(server.requests().isEmpty());
}

// The window's model and state go while a probe waits: the answer that follows touches neither.
void TestPreVerify::windowGoneMidProbe()
{
  Server server;
  QVERIFY(server.listen());
  server.setScript({Server::hold(), Server::send(Server::head(200, "OK", 10, "audio/mpeg")), Server::hold()});
  NetworkTransferFactory transfers;
  FakeWindow window;
  auto model = std::make_unique<ResultTableModel>();
  auto state = std::make_unique<TransferState>();
  fill(*model, {link(server, 1), link(server, 2)});
  auto task = preVerifyResults(window, *model, transfers, *state, ProbeOptions{});
  QTRY_COMPARE(server.requests().size(), 1);
  model.reset();
  state.reset();
  server.release();
  QTest::qWait(50);
  QCOMPARE(server.requests().size(), 1);
}

void TestPreVerify::removal_data()
{
  QTest::addColumn<QStringList>("marks");
  QTest::addColumn<QStringList>("left");  // titles of the rows that stay
  QTest::newRow("only row bad") << QStringList{u"2"_qs} << QStringList{u"t0"_qs};
  QTest::newRow("all bad: the last stays") << QStringList{u"2"_qs, u"2"_qs, u"2"_qs} << QStringList{u"t2"_qs};
  QTest::newRow("good and bad") << QStringList{u"2"_qs, u"3"_qs, u"2"_qs, u"2"_qs, u"56"_qs}
                                << QStringList{u"t1"_qs, u"t4"_qs};
  QTest::newRow("good above the bad") << QStringList{u"3"_qs, u"2"_qs, u"2"_qs} << QStringList{u"t0"_qs};
}

void TestPreVerify::removal()
{
  QFETCH(QStringList, marks);
  QFETCH(QStringList, left);
  ResultTableModel model;
  fill(model, QStringList(marks.size(), QString()));
  for (int row = 0; row < int(marks.size()); ++row) model.setText(row, 8, marks.at(row));
  removeBadRows(model);
  QCOMPARE(column(model, 3), left);
}

// Links on 20 hosts with random results, finished in random order with up to 8 hosts under way,
// get the marks of the one-at-a-time order (the rows' order); no host ever has two probes under
// way.
void TestPreVerify::queueOrderIsOneAtATimeOrder()
{
  for (quint32 seed = 1; seed <= 20; ++seed) {
    QRandomGenerator random(seed);
    std::vector<link_probe::ProbeTarget> targets(200);
    std::vector<ProbeResult> results;
    for (link_probe::ProbeTarget &target : targets) {
      target.hostKey = QStringLiteral("h%1:80").arg(random.bounded(20));
      if (random.bounded(40) == 0) target.settled = ProbeResult::Bad;
      results.push_back(ProbeResult(std::array{0, 0, 0, 1, 3}[random.bounded(5)]));
    }
    const auto marks = [&](int atOnce) {
      ProbeQueue queue(atOnce > 1);
      for (int n = 0; n < int(targets.size()); ++n) queue.append(n, targets[std::size_t(n)]);
      std::map<int, bool> marked;
      std::vector<int> underWay;
      int lastTaken = -1;
      QRandomGenerator order(seed);
      while (queue.hasWaiting() || !underWay.empty()) {
        while (int(underWay.size()) < atOnce) {
          const auto next = queue.takeNext();
          if (!next) break;
          if (atOnce == 1 && *next < lastTaken) return std::map<int, bool>{};
          lastTaken = *next;
          for (const int other : underWay) {
            const auto &a = queue.link(other).target;
            const auto &b = queue.link(*next).target;
            if (!a.settled && !b.settled && a.hostKey == b.hostKey) return std::map<int, bool>{};
          }
          underWay.push_back(*next);
        }
        const std::size_t done = order.bounded(int(underWay.size()));
        const int number = underWay[done];
        underWay.erase(underWay.begin() + qsizetype(done));
        const ProbeResult result =
            targets[std::size_t(number)].settled.value_or(results[std::size_t(number)]);
        for (const ProbeQueue::Mark &mark : queue.finish(number, result)) marked[mark.row] = mark.good;
      }
      return marked;
    };
    const std::map<int, bool> sequential = marks(1);
    QCOMPARE(int(sequential.size()), 200);
    QCOMPARE(marks(3), sequential);
    QCOMPARE(marks(8), sequential);
  }
}

void TestPreVerify::concurrentMarksEqualSequentialMarks()
{
  // The network layer says so when a reply is ended twice.
  QTest::failOnWarning(
      "QNetworkReplyImplPrivate::error: Internal problem, this method must only be called once.");
  std::vector<std::unique_ptr<Server>> servers;
  for (const Server::Script &script :
       {mediaScript(), Server::page(200, "OK", "<html></html>"),
        Server::page(404, "Not Found", "x", "text/plain"), Server::Script{Server::hold()},
        Server::Script{Server::reset()}, mediaScript()}) {
    servers.push_back(std::make_unique<Server>());
    QVERIFY(servers.back()->listen());
    servers.back()->setScript(script);
  }
  const quint16 refused = refusingPort();
  QStringList links;
  for (int n = 0; n < 40; ++n) {
    const int host = (n * 7 + n / 5) % 7;
    links << (host == 6 ? QStringLiteral("http://127.0.0.1:%1/c.rm").arg(refused) : link(*servers[host], n));
  }
  Verification sequential(links);
  sequential.run(300ms, 1);
  Verification concurrent(links);
  concurrent.run(300ms, 4);
  QCOMPARE(column(concurrent.model, 3), column(sequential.model, 3));
  QCOMPARE(column(concurrent.model, 8), column(sequential.model, 8));
  QCOMPARE(column(concurrent.model, 2), column(sequential.model, 2));
  QVERIFY(sequential.model.rowCount() > 1);
}

TESSIVAR_TEST_MAIN(TestPreVerify)
#include "test_pre_verify.moc"
