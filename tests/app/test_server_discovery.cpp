#include "app/server_discovery.h"

#include "base/settings_store.h"
#include "platform/http_transfer.h"
#include "platform/transfer_factory.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

using namespace tessivar;
using tessivar::test::FakePrompter;

namespace {

// What the test server does with one request.
struct Answer
{
  QList<QByteArray> blocks;  // body blocks, sent 30 ms apart
  bool stall = false;        // accept the request and never answer
};

// Answers every request from a handler given the request target. Used directly (targets are
// paths) or as an HTTP proxy (targets are whole "http://host/path" addresses).
class ScriptedServer final : public QObject
{
 public:
  std::function<Answer(const QByteArray &target)> handler;
  QList<QByteArray> targets;

  bool listen()
  {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket *socket = server_.nextPendingConnection()) serve(socket);
    });
    return server_.listen(QHostAddress::LocalHost);
  }
  quint16 port() const { return server_.serverPort(); }
  QString hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }

 private:
  void serve(QTcpSocket *socket)
  {
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
      buffer->append(socket->readAll());
      if (!buffer->contains("\r\n\r\n")) return;
      disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
      const QByteArray target = buffer->split(' ').value(1);
      targets << target;
      const Answer answer = handler ? handler(target) : Answer{};
      if (answer.stall) return;
      QByteArray body;
      for (const QByteArray &block : answer.blocks) body += block;
      socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\n\r\n");
      sendBlocks(socket, answer.blocks, 0);
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  }

  void sendBlocks(QPointer<QTcpSocket> socket, QList<QByteArray> blocks, int index)
  {
    if (!socket) return;
    if (index >= blocks.size()) {
      socket->disconnectFromHost();
      return;
    }
    socket->write(blocks[index]);
    socket->flush();
    QTimer::singleShot(30, this, [this, socket, blocks, index] { sendBlocks(socket, blocks, index + 1); });
  }

  QTcpServer server_;
};

Answer page(const QByteArray &body)
{
  return {{body}, false};
}
Answer blocks(QList<QByteArray> parts)
{
  return {std::move(parts), false};
}
Answer stall()
{
  return {{}, true};
}

}  // namespace

class TestServerDiscovery final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<FakePrompter> prompter_;
  std::unique_ptr<ScriptedServer> server_;
  NetworkTransferFactory transfers_;
  std::unique_ptr<ServerDiscovery> reg_;

  // Runs getServerInfo to its end and returns its result.
  QString discover(int timeoutMs = 10000)
  {
    bool done = false;
    QString result;
    QCoro::connect(reg_->getServerInfo(), this, [&](const QString &host) {
      result = host;
      done = true;
    });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(done, timeoutMs); }();
    return result;
  }

  // Sends every request through the test server acting as the proxy.
  void useServerAsProxy()
  {
    store_->setText(SettingKey::ProxyHost, QStringLiteral("127.0.0.1"));
    store_->setWholeNumber(SettingKey::ProxyPort, server_->port());
  }

 private slots:
  void init()
  {
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("settings.ini")));
    prompter_ = std::make_unique<FakePrompter>();
    server_ = std::make_unique<ScriptedServer>();
    QVERIFY(server_->listen());
    reg_ = std::make_unique<ServerDiscovery>(*store_, *prompter_, transfers_);
    reg_->timer3()->stop();  // the tests count the seconds themselves
    store_->setText(SettingKey::SiteHost, QStringLiteral("site.test"));
  }

  void cleanup()
  {
    reg_.reset();
    server_.reset();
    store_.reset();
  }

  void hostIsCutAtMarkupThenColon_data()
  {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("host");
    QTest::newRow("host, port, markup") << u"data.test:8080<html><body>x</body></html>"_qs << u"data.test"_qs;
    QTest::newRow("host then markup") << u"data.test<html>"_qs << u"data.test"_qs;
    QTest::newRow("no markup") << u"data.test"_qs << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("colon after markup") << u"data.test<a href=\"http://x\">"_qs << u"data.test"_qs;
    QTest::newRow("line break before markup") << u"data.test\r\n<html>"_qs << u"data.test"_qs;
  }

  void hostIsCutAtMarkupThenColon()
  {
    QFETCH(QString, reply);
    QFETCH(QString, host);
    QCOMPARE(hostFromRedirectReply(reply), host);
  }

  void firstRunDiscoversAndChecksVersionInOrder()
  {
    useServerAsProxy();
    server_->handler = [](const QByteArray &target) {
      if (target == "http://site.test/redirect35.asp") return page("data.test:8080<html>Data server</html>");
      return page("OK");
    };
    QSignalSpy status(reg_.get(), &ServerDiscovery::statusChanged);

    QCOMPARE(discover(), u"data.test"_qs);
    QCOMPARE(server_->targets, (QList<QByteArray>{"http://site.test/redirect35.asp",
                                                  "http://data.test/reg.asp?VER=1&P=T&V=3.7"}));
    QCOMPARE(store_->text(SettingKey::LastQueryServer), u"data.test"_qs);
    QStringList texts;
    for (const auto &args : status) texts << args.at(0).toString();
    QCOMPARE(texts, (QStringList{u"Finding Data Servers..."_qs, u"Done"_qs, u"Checking Version..."_qs}));
    QVERIFY(prompter_->prompts.isEmpty());
  }

  void storedServerSkipsTheRedirect()
  {
    store_->setText(SettingKey::LastQueryServer, server_->hostPort());
    server_->handler = [](const QByteArray &) { return page("Welcome"); };
    QCOMPARE(discover(), server_->hostPort());
    QCOMPARE(server_->targets, QList<QByteArray>{"/reg.asp?VER=1&P=T&V=3.7"});
  }

  // A proxy host of only blanks is no proxy: the requests go straight to the server.
  void blankProxyHostMeansNoProxy()
  {
    store_->setText(SettingKey::LastQueryServer, server_->hostPort());
    store_->setText(SettingKey::ProxyHost, u"   "_qs);
    store_->setWholeNumber(SettingKey::ProxyPort, 1);
    server_->handler = [](const QByteArray &) { return page("Welcome"); };
    QCOMPARE(discover(), server_->hostPort());
    QCOMPARE(server_->targets, QList<QByteArray>{"/reg.asp?VER=1&P=T&V=3.7"});
  }

  void replyInSeveralBlocksIsReadWhole()
  {
    useServerAsProxy();
    server_->handler = [](const QByteArray &target) {
      if (target.endsWith("/redirect35.asp"))
        return blocks({"data.te", "st:80", "<html><body>", "</body></html>"});
      return page("OK");
    };
    QCOMPARE(discover(), u"data.test"_qs);
  }

  void versionAnswers_data()
  {
    QTest::addColumn<QList<QByteArray>>("reply");
    QTest::addColumn<bool>("outdated");
    QTest::newRow("Version NO") << QList<QByteArray>{"Version NO"} << true;
    QTest::newRow("in two blocks") << QList<QByteArray>{"Version", " NO"} << true;
    QTest::newRow("trailing blank") << QList<QByteArray>{"Version NO "} << false;
    QTest::newRow("lower case") << QList<QByteArray>{"version no"} << false;
    QTest::newRow("anything else") << QList<QByteArray>{"<html>fine</html>"} << false;
  }

  void versionAnswers()
  {
    QFETCH(QList<QByteArray>, reply);
    QFETCH(bool, outdated);
    store_->setText(SettingKey::LastQueryServer, server_->hostPort());
    server_->handler = [reply](const QByteArray &) { return blocks(reply); };

    const QString host = discover();
    if (!outdated) {
      QCOMPARE(host, server_->hostPort());
      QVERIFY(prompter_->prompts.isEmpty());
      return;
    }
    QVERIFY(host.isEmpty());
    QCOMPARE(prompter_->prompts.size(), 2);
    QCOMPARE(prompter_->prompts[0].icon, PromptIcon::Critical);
    QCOMPARE(prompter_->prompts[0].title, u"Tessivar"_qs);
    QCOMPARE(prompter_->prompts[0].text, u"This version is out of date and may not function correctly."_qs);
    QCOMPARE(prompter_->prompts[1].icon, PromptIcon::Information);
    QCOMPARE(prompter_->prompts[1].text, u"Please visit http://site.test for the newest version."_qs);
    // The host stays stored: the next start asks the version again without a new discovery.
    QCOMPARE(store_->text(SettingKey::LastQueryServer), server_->hostPort());
  }

  void replyWithoutMarkupGivesUpThroughTheDialogue()
  {
    useServerAsProxy();
    server_->handler = [](const QByteArray &) { return page("data.test"); };
    prompter_->answers = {PromptAnswer::Ok, PromptAnswer::Cancel, PromptAnswer::No, PromptAnswer::Ok};

    QVERIFY(discover().isEmpty());
    QCOMPARE(server_->targets, QList<QByteArray>{"http://site.test/redirect35.asp"});
    QCOMPARE(
        prompter_->texts(),
        (QStringList{u"Unable to contact data server, please be sure you are connected to the Internet."_qs,
                     u"Click OK to retry, Cancel if you running a proxy server or would like to quit"_qs,
                     u"Would you like to configure proxy information?"_qs,
                     u"Program cannot continue, please contact " TESSIVAR_SUPPORT_EMAIL
                     " for system status."_qs}));
    QCOMPARE(prompter_->prompts[1].buttons, PromptButtons::OkCancel);
    QCOMPARE(prompter_->prompts[2].buttons, PromptButtons::YesNo);
    QCOMPARE(prompter_->prompts[3].icon, PromptIcon::Critical);
    for (const auto &prompt : prompter_->prompts) QCOMPARE(prompt.title, u"Tessivar"_qs);
    QVERIFY(store_->text(SettingKey::LastQueryServer).isEmpty());
  }

  void retryAsksTheSiteAgain()
  {
    useServerAsProxy();
    int redirects = 0;
    server_->handler = [&redirects](const QByteArray &target) {
      if (target.endsWith("/redirect35.asp")) return page(++redirects == 1 ? "" : "data.test<html>");
      return page("OK");
    };
    prompter_->answers = {PromptAnswer::Ok, PromptAnswer::Ok};  // the notice, then "retry"
    QCOMPARE(discover(), u"data.test"_qs);
    QCOMPARE(redirects, 2);
    QCOMPARE(prompter_->prompts.size(), 2);
  }

  void proxyEnteredInTheDialogueIsUsedNext()
  {
    // No proxy at first, and nothing listens where the site is said to be.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString deadSite = QStringLiteral("127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    store_->setText(SettingKey::SiteHost, deadSite);
    server_->handler = [](const QByteArray &target) {
      if (target.endsWith("/redirect35.asp")) return page("data.test<html>");
      return page("OK");
    };
    int configured = 0;
    reg_->configureProxy = [&] {
      ++configured;
      store_->setText(SettingKey::ProxyHost, QStringLiteral("127.0.0.1"));
      store_->setWholeNumber(SettingKey::ProxyPort, server_->port());
    };
    prompter_->answers = {PromptAnswer::Ok, PromptAnswer::Cancel, PromptAnswer::Yes, PromptAnswer::Ok};

    QCOMPARE(discover(), u"data.test"_qs);
    QCOMPARE(configured, 1);
    QCOMPARE(prompter_->prompts.at(3).text, u"Please configure proxy information."_qs);
    QCOMPARE(prompter_->prompts.at(3).icon, PromptIcon::Information);
    QCOMPARE(server_->targets.value(0), QByteArray("http://" + deadSite.toLatin1() + "/redirect35.asp"));
  }

  void discoveryWaitsSixtySeconds()
  {
    useServerAsProxy();
    server_->handler = [](const QByteArray &) { return stall(); };
    prompter_->answers = {PromptAnswer::Ok, PromptAnswer::Cancel, PromptAnswer::No, PromptAnswer::Ok};
    bool done = false;
    QCoro::connect(reg_->getServerInfo(), this, [&](const QString &) { done = true; });
    QTRY_COMPARE(server_->targets.size(), 1);
    for (int second = 1; second < ServerDiscovery::discoverySeconds; ++second) reg_->onTimer3();
    QTest::qWait(50);
    QVERIFY(prompter_->prompts.isEmpty());
    reg_->onTimer3();
    QTRY_VERIFY(done);
    QCOMPARE(prompter_->prompts.size(), 4);
    QVERIFY(reg_->transfer().isIdle());
  }

  void versionWaitOfFortyFiveSecondsEndsInARetry()
  {
    store_->setText(SettingKey::LastQueryServer, server_->hostPort());
    int asked = 0;
    server_->handler = [&asked](const QByteArray &) { return ++asked == 1 ? stall() : page("OK"); };
    bool done = false;
    QString host;
    QCoro::connect(reg_->getServerInfo(), this, [&](const QString &result) {
      host = result;
      done = true;
    });
    QTRY_COMPARE(asked, 1);
    for (int second = 1; second < ServerDiscovery::versionSeconds; ++second) reg_->onTimer3();
    QTest::qWait(50);
    QCOMPARE(asked, 1);
    reg_->onTimer3();
    QTRY_VERIFY(done);
    QCOMPARE(asked, 2);
    QCOMPARE(host, server_->hostPort());
  }

  void emptyVersionRepliesAreBounded()
  {
    useServerAsProxy();
    store_->setText(SettingKey::LastQueryServer, QStringLiteral("old.test"));
    server_->handler = [](const QByteArray &target) {
      if (target.endsWith("/redirect35.asp")) return page("new.test<html>");
      return page("");
    };
    prompter_->answers = {PromptAnswer::Ok, PromptAnswer::Cancel, PromptAnswer::No, PromptAnswer::Ok};

    QVERIFY(discover().isEmpty());
    const QByteArray oldVersion = "http://old.test/reg.asp?VER=1&P=T&V=3.7";
    const QByteArray newVersion = "http://new.test/reg.asp?VER=1&P=T&V=3.7";
    QCOMPARE(server_->targets,
             (QList<QByteArray>{oldVersion, oldVersion, oldVersion, "http://site.test/redirect35.asp",
                                newVersion, newVersion, newVersion}));
    QCOMPARE(prompter_->prompts.size(), 4);
  }
};

TESSIVAR_TEST_MAIN(TestServerDiscovery)
#include "test_server_discovery.moc"
