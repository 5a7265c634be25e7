#include "platform/http_transfer_network.h"
#include "platform/http_transfer_wait.h"
#include "platform/proxy_setting.h"
#include "platform/transfer_errors.h"
#include "platform/transfer_factory.h"
#include "support/http_test_server.h"
#include "support/proxy_fixture.h"
#include "support/test_environment.h"

#include <QPointer>
#include <QSignalSpy>
#include <memory>

using namespace tessivar;
using Server = tessivar::test::HttpTestServer;

namespace {

// Writes every event of a transfer down as a short text, in order.
struct EventLog
{
  explicit EventLog(HttpTransfer &transfer)
  {
    QObject::connect(&transfer, &HttpTransfer::documentOutput, &context,
                     [this, &transfer](DocumentState state, const QByteArray &block) {
                       switch (state) {
                         case DocumentState::Begin:
                           events << QStringLiteral("begin");
                           break;
                         case DocumentState::Headers:
                           events << QStringLiteral("headers");
                           break;
                         case DocumentState::Data:
                           events << QStringLiteral("data");
                           body += block;
                           blocks << block;
                           break;
                         case DocumentState::Error:
                           events << QStringLiteral("document-error");
                           break;
                         case DocumentState::End:
                           events << QStringLiteral("end");
                           busyAtEnd = transfer.isBusy();
                           break;
                       }
                     });
    QObject::connect(&transfer, &HttpTransfer::errorOccurred, &context, [this](int number, const QString &) {
      events << QStringLiteral("error %1").arg(number);
    });
    QObject::connect(&transfer, &HttpTransfer::stateChanged, &context, [this, &transfer] {
      events << QStringLiteral("state ") + transfer.connectionStateText();
    });
    QObject::connect(&transfer, &HttpTransfer::finishedAny, &context, [this](const TransferOutcome &outcome) {
      events << QStringLiteral("finished");
      outcomes << outcome;
    });
  }

  // The events without the data blocks and state changes, for comparing sequences.
  [[nodiscard]] QString documentEvents() const
  {
    QStringList result;
    for (const QString &event : events) {
      if (event != QStringLiteral("data") && !event.startsWith(QStringLiteral("state")) &&
          (result.isEmpty() || result.last() != event))
        result << event;
    }
    return result.join(QStringLiteral(", "));
  }

  QObject context;
  QStringList events;
  QByteArray body;
  QList<QByteArray> blocks;
  QList<TransferOutcome> outcomes;
  bool busyAtEnd = true;
};

QString address(const Server &server, const QString &path = QStringLiteral("/page"))
{
  return server.url(path).toString();
}

}  // namespace

class TestHttpTransfer final : public QObject
{
  Q_OBJECT

 private slots:
  void deliversBlocksAsTheyArrive();
  void errorStatusPagesAreDocuments_data();
  void errorStatusPagesAreDocuments();
  void connectionFailuresGiveTheirNumbers_data();
  void connectionFailuresGiveTheirNumbers();
  void stalledTransferTimesOut();
  void cancelStopsEveryEvent();
  void newRequestReplacesRunningOne();
  void handlerMayStartNextRequest();
  void sendsExtraHeadersAndKeepsRawHeaders();
  void badRequestsFailThroughEvents_data();
  void badRequestsFailThroughEvents();
  void waitForFinishedReturnsOutcome();
  void waitForFinishedSurvivesDestroyedTransfer();
  void goesThroughProxy();
};

void TestHttpTransfer::deliversBlocksAsTheyArrive()
{
  // "é" is split between two blocks: the transfer hands on bytes, never decoded text.
  const QByteArray body =
      "<html>first "
      "\xC3"
      "\xA9"
      " second third</html>";
  Server server;
  QVERIFY(server.listen());
  server.setScript({Server::send(Server::head(200, "OK", body.size()) + body.left(13)), Server::hold(),
                    Server::send(body.mid(13, 10)), Server::hold(), Server::send(body.mid(23))});
  NetworkHttpTransfer transfer;
  EventLog log(transfer);
  QVERIFY(transfer.isIdle());

  transfer.requestDocument(address(server));
  QVERIFY(transfer.isBusy());
  QVERIFY(!transfer.isIdle());
  QTRY_COMPARE(log.body, body.left(13));
  QCOMPARE(log.documentEvents(), QStringLiteral("begin, headers"));
  QCOMPARE(transfer.connectionStateText(), QStringLiteral("Connected"));

  server.release();
  QTRY_COMPARE(log.body, body.left(23));
  server.release();
  QTRY_VERIFY(!log.outcomes.isEmpty());

  QCOMPARE(log.body, body);
  QCOMPARE(log.blocks.size(), 3);
  QCOMPARE(log.documentEvents(), QStringLiteral("begin, headers, end, finished"));
  QCOMPARE(log.events.last(2).join(QStringLiteral(", ")), QStringLiteral("state Disconnected, finished"));
  QVERIFY(!log.busyAtEnd);
  QVERIFY(transfer.isIdle());
  QCOMPARE(transfer.connectionStateText(), QStringLiteral("Disconnected"));
  QCOMPARE(transfer.protocolStateText(), QStringLiteral("Base"));
  QCOMPARE(log.outcomes.first().kind, TransferOutcome::Kind::Completed);
  QCOMPARE(log.outcomes.first().httpStatus, 200);
}

void TestHttpTransfer::errorStatusPagesAreDocuments_data()
{
  QTest::addColumn<int>("status");
  QTest::addColumn<QByteArray>("reason");
  QTest::addColumn<QByteArray>("body");
  QTest::newRow("404") << 404 << QByteArray("Not Found") << QByteArray("<h1>404 Object Not Found</h1>");
  QTest::newRow("403") << 403 << QByteArray("Forbidden") << QByteArray("<h1>HTTP 403.6 Forbidden</h1>");
  QTest::newRow("500") << 500 << QByteArray("Internal Server Error") << QByteArray("oops");
  QTest::newRow("302 not followed") << 302 << QByteArray("Moved Temporarily")
                                    << QByteArray("302 Moved Temporarily");
}

void TestHttpTransfer::errorStatusPagesAreDocuments()
{
  QFETCH(int, status);
  QFETCH(QByteArray, reason);
  QFETCH(QByteArray, body);
  Server server;
  QVERIFY(server.listen());
  Server::Script script = Server::page(status, reason, body);
  if (status == 302)
    script = {Server::send("HTTP/1.1 302 Moved Temporarily\r\nLocation: /elsewhere\r\nContent-Length: " +
                           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body)};
  server.setScript(script);
  NetworkHttpTransfer transfer;
  EventLog log(transfer);

  transfer.requestDocument(address(server));
  QTRY_VERIFY(!log.outcomes.isEmpty());

  QCOMPARE(log.documentEvents(), QStringLiteral("begin, headers, end, finished"));
  QCOMPARE(log.body, body);
  QCOMPARE(log.outcomes.first().kind, TransferOutcome::Kind::Completed);
  QCOMPARE(log.outcomes.first().httpStatus, status);
  QVERIFY(transfer.responseHeaders().startsWith("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                                                "\r\n"));
  QCOMPARE(server.requests().size(), 1);
}

void TestHttpTransfer::connectionFailuresGiveTheirNumbers_data()
{
  QTest::addColumn<int>(
      "script");  // 0 reset at once, 1 reset in the body, 2 garbage, 3 refused, 4 bad name, 5 closed early
  QTest::addColumn<int>("number");
  QTest::addColumn<bool>("begun");
  QTest::newRow("reset before the answer") << 0 << transfer_error::ConnectionReset << false;
  QTest::newRow("reset inside the body") << 1 << transfer_error::ConnectionReset << true;
  QTest::newRow("closed inside the body") << 5 << transfer_error::ConnectionReset << true;
  // Qt drops a connection whose answer is not HTTP and reports it as closed.
  QTest::newRow("not HTTP") << 2 << transfer_error::ConnectionReset << false;
  QTest::newRow("refused") << 3 << transfer_error::CannotConnect << false;
  QTest::newRow("unknown host") << 4 << transfer_error::NameNotResolved << false;
}

void TestHttpTransfer::connectionFailuresGiveTheirNumbers()
{
  QFETCH(int, script);
  QFETCH(int, number);
  QFETCH(bool, begun);
  Server server;
  QVERIFY(server.listen());
  QString target = address(server);
  switch (script) {
    case 0:
      server.setScript({Server::reset()});
      break;
    case 1:
      server.setScript({Server::send(Server::head(200, "OK", 1000) + QByteArray(100, 'x')),
                        Server::pause(100), Server::reset()});
      break;
    case 2:
      server.setScript({Server::send("SPAM SPAM SPAM\r\n\r\n"), Server::hold()});
      break;
    case 3:
      target = QStringLiteral("http://127.0.0.1:%1/").arg(test::ProxyFixture::freePort());
      break;
    case 4:
      target = QStringLiteral("http://no-such-host.invalid/");
      break;
    case 5:
      server.setScript({Server::send(Server::head(200, "OK", 1000) + QByteArray(100, 'x')),
                        Server::pause(100), Server::close()});
      break;
  }
  NetworkHttpTransfer transfer;
  EventLog log(transfer);

  transfer.requestDocument(target);
  QTRY_VERIFY_WITH_TIMEOUT(!log.outcomes.isEmpty(), 20000);

  QString expected = QStringLiteral("error %1, finished").arg(number);
  if (begun) expected = QStringLiteral("begin, headers, document-error, ") + expected;
  QCOMPARE(log.documentEvents(), expected);
  if (begun) QCOMPARE(log.body, QByteArray(100, 'x'));
  QCOMPARE(log.outcomes.first().kind, TransferOutcome::Kind::Failed);
  QCOMPARE(log.outcomes.first().errorNumber, number);
  QVERIFY(transfer.isIdle());
}

void TestHttpTransfer::stalledTransferTimesOut()
{
  Server server;
  QVERIFY(server.listen());
  server.setScript({Server::send(Server::head(200, "OK", 50) + "partial"), Server::hold()});
  NetworkHttpTransfer transfer;
  transfer.setTimeout(std::chrono::milliseconds(300));
  EventLog log(transfer);

  transfer.requestDocument(address(server));
  QTRY_VERIFY(!log.outcomes.isEmpty());

  QCOMPARE(log.documentEvents(), QStringLiteral("begin, headers, document-error, error 12002, finished"));
  QCOMPARE(log.outcomes.first().errorNumber, transfer_error::TimedOut);
  QVERIFY(transfer.isIdle());
  server.release();
}

void TestHttpTransfer::cancelStopsEveryEvent()
{
  Server server;
  QVERIFY(server.listen());
  server.setScript(
      {Server::send(Server::head(200, "OK", 20) + "0123456789"), Server::hold(), Server::send("abcdefghij")});
  NetworkHttpTransfer transfer;
  EventLog log(transfer);

  transfer.requestDocument(address(server));
  QTRY_COMPARE(log.body, QByteArray("0123456789"));
  transfer.cancel();
  QVERIFY(transfer.isIdle());
  QCOMPARE(log.events.last(2).join(QStringLiteral(", ")), QStringLiteral("state Disconnected, finished"));
  QCOMPARE(log.outcomes.first().kind, TransferOutcome::Kind::Cancelled);

  const qsizetype seen = log.events.size();
  server.release();
  QTest::qWait(200);
  QCOMPARE(log.events.size(), seen);
  transfer.cancel();  // idle: nothing happens
  QCOMPARE(log.events.size(), seen);
}

void TestHttpTransfer::newRequestReplacesRunningOne()
{
  Server stalled;
  QVERIFY(stalled.listen());
  stalled.setScript({Server::hold(), Server::send(Server::head(200, "OK", 3) + "old")});
  Server answering;
  QVERIFY(answering.listen());
  answering.setScript(Server::page(200, "OK", "new"));
  NetworkHttpTransfer transfer;
  EventLog log(transfer);

  const quint64 first = transfer.requestDocument(address(stalled));
  QTRY_COMPARE(stalled.requests().size(), 1);
  const quint64 second = transfer.requestDocument(address(answering));
  QVERIFY(second != first);
  QCOMPARE(log.outcomes.size(), 1);
  QCOMPARE(log.outcomes.first().kind, TransferOutcome::Kind::Cancelled);
  QCOMPARE(log.outcomes.first().transferId, first);

  stalled.release();
  QTRY_COMPARE(log.outcomes.size(), 2);
  QCOMPARE(log.outcomes.last().transferId, second);
  QCOMPARE(log.body, QByteArray("new"));
  QTest::qWait(100);
  QCOMPARE(log.outcomes.size(), 2);
}

void TestHttpTransfer::handlerMayStartNextRequest()
{
  Server server;
  QVERIFY(server.listen());
  server.setScript(Server::page(200, "OK", "page"));
  NetworkHttpTransfer transfer;
  EventLog log(transfer);
  int started = 0;
  connect(&transfer, &HttpTransfer::documentOutput, this, [&](DocumentState state, const QByteArray &) {
    if (state == DocumentState::End && started++ == 0)
      transfer.requestDocument(address(server, QStringLiteral("/second")));
  });

  transfer.requestDocument(address(server));
  QTRY_COMPARE(log.outcomes.size(), 2);
  QCOMPARE(log.outcomes.at(0).kind, TransferOutcome::Kind::Completed);
  QCOMPARE(log.outcomes.at(1).kind, TransferOutcome::Kind::Completed);
  QCOMPARE(log.body, QByteArray("pagepage"));
  QCOMPARE(server.requests().size(), 2);
  QVERIFY(transfer.isIdle());
}

void TestHttpTransfer::sendsExtraHeadersAndKeepsRawHeaders()
{
  Server server;
  QVERIFY(server.listen());
  server.setScript(
      {Server::send("HTTP/1.1 206 Partial Content\r\nContent-Type: audio/mpeg\r\n"
                    "Content-Length: 4\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n"
                    "Connection: close\r\n\r\nabcd")});
  NetworkHttpTransfer transfer;
  EventLog log(transfer);

  transfer.requestDocument(address(server), "Range: bytes=1000\r\n");
  QTRY_VERIFY(!log.outcomes.isEmpty());

  QVERIFY(server.requests().first().contains("\r\nRange: bytes=1000"));
  const QByteArray headers = transfer.responseHeaders();
  QVERIFY2(headers.startsWith("HTTP/1.1 206 Partial Content\r\n"), headers.constData());
  QVERIFY(headers.contains("\r\nContent-Type: audio/mpeg\r\n"));
  QVERIFY(headers.contains("\r\nContent-Length: 4\r\n"));
  QVERIFY(headers.contains("\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n"));
  QVERIFY(headers.endsWith("\r\n\r\n"));
}

void TestHttpTransfer::badRequestsFailThroughEvents_data()
{
  QTest::addColumn<QString>("address");
  QTest::addColumn<QByteArray>("headers");
  QTest::addColumn<bool>("proxy");
  QTest::addColumn<int>("number");
  QTest::newRow("empty") << QString() << QByteArray() << false << transfer_error::InvalidUrl;
  QTest::newRow("relative") << QStringLiteral("/tessivar37.asp") << QByteArray() << false
                            << transfer_error::InvalidUrl;
  QTest::newRow("ftp") << QStringLiteral("ftp://example.com/a") << QByteArray() << false
                       << transfer_error::UnrecognizedScheme;
  QTest::newRow("header without colon") << QStringLiteral("http://127.0.0.1:1/") << QByteArray("Range bytes")
                                        << false << transfer_error::InvalidHeader;
  QTest::newRow("proxy without host")
      << QStringLiteral("http://127.0.0.1:1/") << QByteArray() << true << transfer_error::CannotConnect;
}

void TestHttpTransfer::badRequestsFailThroughEvents()
{
  QFETCH(QString, address);
  QFETCH(QByteArray, headers);
  QFETCH(bool, proxy);
  QFETCH(int, number);
  NetworkTransferFactory transfers;
  if (proxy) transfers.useProxy(ProxySetting{true, QString(), 1080});
  const std::unique_ptr<HttpTransfer> made(transfers.makeTransfer(nullptr));
  HttpTransfer &transfer = *made;
  EventLog log(transfer);

  transfer.requestDocument(address, headers);
  // Never reported from inside the call: a caller sets up its wait after requesting.
  QVERIFY(transfer.isBusy());
  QVERIFY(log.outcomes.isEmpty());
  QTRY_VERIFY(!log.outcomes.isEmpty());
  QCOMPARE(log.documentEvents(), QStringLiteral("error %1, finished").arg(number));
  QVERIFY(transfer.isIdle());
}

void TestHttpTransfer::waitForFinishedReturnsOutcome()
{
  Server server;
  QVERIFY(server.listen());
  server.setScript(Server::page(404, "Not Found", "gone"));
  NetworkHttpTransfer transfer;
  std::optional<TransferOutcome> outcome;
  bool idleAfterWait = false;
  auto run = [&]() -> QCoro::Task<> {
    transfer.requestDocument(address(server));
    outcome = co_await waitForFinished(&transfer);
    idleAfterWait = transfer.isIdle();
  };
  run();
  QTRY_VERIFY(outcome.has_value());
  QCOMPARE(outcome->kind, TransferOutcome::Kind::Completed);
  QCOMPARE(outcome->httpStatus, 404);
  QVERIFY(idleAfterWait);

  // Idle: the last outcome comes back at once.
  auto idle = waitForFinished(&transfer);
  QVERIFY(idle.isReady());
}

void TestHttpTransfer::waitForFinishedSurvivesDestroyedTransfer()
{
  Server server;
  QVERIFY(server.listen());
  server.setScript({Server::hold()});
  auto *transfer = new NetworkHttpTransfer;
  std::optional<TransferOutcome> outcome;
  auto run = [&]() -> QCoro::Task<> {
    transfer->requestDocument(address(server));
    outcome = co_await waitForFinished(transfer);
  };
  run();
  QTRY_COMPARE(server.requests().size(), 1);
  delete transfer;
  QTRY_VERIFY(outcome.has_value());
  QCOMPARE(outcome->kind, TransferOutcome::Kind::Cancelled);
}

void TestHttpTransfer::goesThroughProxy()
{
  test::ProxyFixture proxy;
  QVERIFY2(proxy.start(), qPrintable(proxy.errorText()));
  Server server;
  QVERIFY(server.listen());
  server.setScript(Server::page(200, "OK", "via proxy"));
  // A transfer made before the program's proxy is set goes through it as well.
  NetworkTransferFactory transfers;
  const std::unique_ptr<HttpTransfer> made(transfers.makeTransfer(nullptr));
  HttpTransfer &transfer = *made;
  EventLog log(transfer);

  transfers.useProxy(ProxySetting{true, QStringLiteral("127.0.0.1"), proxy.port()});
  transfer.requestDocument(address(server, QStringLiteral("/reg.asp?VER=1&K=M\u00fcller+\"x\"")));
  QTRY_VERIFY_WITH_TIMEOUT(!log.outcomes.isEmpty(), 15000);
  QCOMPARE(log.outcomes.first().kind, TransferOutcome::Kind::Completed);
  QCOMPARE(log.body, QByteArray("via proxy"));
  QCOMPARE(server.requests().size(), 1);
  QVERIFY2(server.requests().first().contains("Via: 1.1 " + test::ProxyFixture::viaName()),
           server.requests().first().constData());
  QVERIFY2(server.requests().first().startsWith("GET /reg.asp?VER=1&K=M%C3%BCller+%22x%22 HTTP/1.1\r\n"),
           server.requests().first().constData());
  QVERIFY2(proxy.log().contains("/reg.asp?VER=1"), proxy.log().constData());

  // Proxy off again: straight to the server.
  transfers.useProxy(ProxySetting{});
  transfer.requestDocument(address(server));
  QTRY_COMPARE(log.outcomes.size(), 2);
  QCOMPARE(server.requests().size(), 2);
  QVERIFY(!server.requests().last().contains("Via:"));

  // A proxy that is not there: the request fails even though the server would answer.
  proxy.stop();
  transfers.useProxy(ProxySetting{true, QStringLiteral("127.0.0.1"), proxy.port()});
  transfer.requestDocument(address(server));
  QTRY_COMPARE(log.outcomes.size(), 3);
  QCOMPARE(log.outcomes.last().errorNumber, transfer_error::CannotConnect);
  QCOMPARE(server.requests().size(), 2);
}

TESSIVAR_TEST_MAIN(TestHttpTransfer)

#include "test_http_transfer.moc"
