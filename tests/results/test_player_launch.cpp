#include "base/program_options.h"
#include "base/settings_store.h"
#include "results/built_in_player.h"
#include "results/player_launch.h"
#include "support/fake_prompter.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QTcpServer>
#include <QTemporaryDir>

#include <memory>

using namespace tessivar;
using namespace Qt::Literals::StringLiterals;
using test::HttpTestServer;

class TestPlayerLaunch final : public QObject
{
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  SettingsStore store_{dir_.filePath(u"settings.ini"_s)};
  std::unique_ptr<test::OtherSeams> seams_;
  test::FakePrompter prompter_;
  test::FakeShellOpener shell_;
  std::unique_ptr<ProgramOptions> options_;
  std::unique_ptr<PlayerLauncher> launcher_;
  QStringList status_;
  QList<bool> busy_;
  QList<SetupPlayer> setupTabs_;
  const QString refused_ = u"Invalid stream address.  Only network streams can be played."_s;

  // Plays the address to its end; the pointers are back to normal on every path.
  void play(const QString &url)
  {
    QCoro::waitFor(launcher_->launchURL(url, u"Station"_s));
    QCOMPARE(busy_, (QList<bool>{true, false}));
  }

 private slots:
  void init()
  {
    store_.setText(SettingKey::SiteHost, u"site.test"_s);
    seams_ = std::make_unique<test::OtherSeams>();
    prompter_ = test::FakePrompter();
    shell_ = test::FakeShellOpener();
    options_ = std::make_unique<ProgramOptions>(store_);
    options_->setPlayerPath(SetupPlayer::Real, u"/usr/bin/realplay"_s);
    options_->setPlayerPath(SetupPlayer::StreamWorks, u"/usr/bin/xing"_s);
    launcher_ =
        std::make_unique<PlayerLauncher>(*options_, test::testServices(store_, prompter_, shell_, *seams_));
    status_.clear();
    busy_.clear();
    setupTabs_.clear();
    connect(launcher_.get(), &PlayerLauncher::statusTextChanged, this,
            [this](int, const QString &s) { status_ << s; });
    connect(launcher_.get(), &PlayerLauncher::busyPointersChanged, this, [this](bool on) {
      if (busy_.isEmpty() || busy_.last() != on) busy_ << on;
    });
    connect(launcher_.get(), &PlayerLauncher::setupRequested, this,
            [this](SetupPlayer player) { setupTabs_ << player; });
  }

  // What starts no player, and what the user is told.
  void nothingStarted()
  {
    const QString none = u"No item selected."_s;
    const QList<std::pair<QString, QString>> cases{
        {QString(), none},
        {u"NONE"_s, none},
        {u"http://host/live"_s, {}},
        {u"--foo=x"_s, {}},
        {u"--playlist=x.ram"_s, refused_},
        {u"file:///etc/hosts.ra"_s, refused_},
        {u"javascript:alert(1).ra"_s, refused_},
        {u"smb://127.0.0.1/share/x.asf"_s, refused_},
        {u"http://a.example/"_s + QString(65500, u'x') + u".ra"_s, refused_}};
    for (const auto &[url, prompt] : cases) {
      init();
      play(url);
      QCOMPARE(prompter_.texts(), prompt.isEmpty() ? QStringList() : QStringList{prompt});
      QVERIFY(seams_->processes.started.isEmpty());
    }
  }

  // A player that does not start is reported, not announced as launching.
  void failedStartReported()
  {
    seams_->processes.succeed = false;
    play(u"http://radio.example/live.ram"_s);
    QCOMPARE(prompter_.texts(), QStringList{u"Unable to start RealPlayer (/usr/bin/realplay)."_s});
    QVERIFY(!status_.contains(u"Launching RealPlayer"_s));
  }

  // A player whose program is gone, or that has none: its messages in order, the download page on
  // Yes, then the setup dialog on the player's tab.
  void missingPlayer_data()
  {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<SetupPlayer>("tab");
    const QString question = u"Would you like to download the free player?"_s;
    QTest::newRow("real, program gone")
        << u"a.ram"_s
        << QStringList{u"Unable to locate RealPlayer.  You cannot play this selection without RealPlayer."_s,
                       question}
        << QStringList{u"http://site.test/real.htm"_s} << SetupPlayer::Real;
    QTest::newRow("streamworks") << u"a.xdm"_s << QStringList{u"Unable to locate StreamWorks Player."_s}
                                 << QStringList() << SetupPlayer::StreamWorks;
  }

  void missingPlayer()
  {
    QFETCH(QString, url);
    QFETCH(QStringList, prompts);
    QFETCH(QStringList, opened);
    QFETCH(SetupPlayer, tab);
    seams_->processes.missing << u"/usr/bin/realplay"_s;
    options_->setPlayerPath(SetupPlayer::StreamWorks, QString());
    play(u"http://stream.example/"_s + url);
    prompts << u"You are missing neccesary players to take full advantage of Tessivar!'s functionality."_s
            << u"Please manually locate players via setup or download by clicking on the appropriate player "
               u"logo and remember to close and restart Tessivar! Broadcast after installing a new player."_s;
    QCOMPARE(prompter_.texts(), prompts);
    QCOMPARE(shell_.opened, opened);
    QCOMPARE(setupTabs_, QList<SetupPlayer>{tab});
    QVERIFY(seams_->processes.started.isEmpty());
  }

  // A StreamWorks description: StreamWorks gets the address of its "STREAM" line, or the user is
  // told "Cannot connect.." (no address) or that the address is no network stream.
  void description_data()
  {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("url");  // empty: the test server's description
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("prompt");
    const QString cannot = u"Cannot connect.."_s;
    const auto page = [](const char *name, const QByteArray &body, const QString &address,
                         const QString &prompt = {}, int status = 200) {
      QTest::newRow(name) << status << body << QString() << address << prompt;
    };
    page("keyword line", "[Xing]\r\nSTREAM=http://media.example/live\r\nTitle=x\r\n",
         u"http://media.example/live"_s);
    page("section header first", "[Stream]\r\nTitle=x\r\n  stream = mms://media.example/live \r\n",
         u"mms://media.example/live"_s);
    page("colon, line feed, other keys passed over", "Streams=x\nSTREAMx=y\nStream:http://a.example/b\nmore",
         u"http://a.example/b"_s);
    page("vertical tab", "STREAM=http://a.example/b\x0bjunk", u"http://a.example/b"_s);
    page("no keyword", "Title=x\r\n", {}, cannot);
    page("local file", "STREAM=file:///etc/passwd\r\n", {}, refused_);
    page("tab-led option", "STREAM=\t--ao=null\r\n", {}, refused_);
    page("error page", "STREAM=http://a.example/b\r\n", {}, cannot, 404);
    page("beyond 64 KB", QByteArray(70000, 'x') + "\nSTREAM=http://a.example/b\r\n", {}, cannot);
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    QTest::newRow("unreachable") << 0 << QByteArray()
                                 << u"http://127.0.0.1:%1/a.xdm"_s.arg(closed.serverPort()) << QString()
                                 << cannot;
    QTest::newRow("not fetched") << 0 << QByteArray() << u"rtsp://a.example/a.xdm"_s << QString() << cannot;
  }

  void description()
  {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, url);
    QFETCH(QString, address);
    QFETCH(QString, prompt);
    HttpTestServer server;
    QVERIFY(server.listen());
    server.setScript(HttpTestServer::page(status, "X", body, "text/plain"));
    play(url.isEmpty() ? server.url(u"/live.xdm"_s).toString() : url);
    QCOMPARE(status_.mid(0, 3),
             (QStringList{u"Looking for Player.."_s, u"Playing..."_s, u"Launching StreamWorks Player"_s}));
    QCOMPARE(prompter_.texts(), prompt.isEmpty() ? QStringList() : QStringList{prompt});
    QCOMPARE(seams_->processes.started.size(), address.isEmpty() ? 0 : 1);
    if (!address.isEmpty()) QCOMPARE(seams_->processes.started.first().arguments, QStringList{address});
    // No player started: the panel does not go on announcing one.
    if (address.isEmpty()) QCOMPARE(status_.last(), QString());
  }

  // With the built-in player chosen, every stream plays inside (a description's address once
  // fetched) under the name given, and no program starts; an engine that cannot start is reported.
  void builtInPlayer()
  {
    HttpTestServer server;
    QVERIFY(server.listen());
    server.setScript(HttpTestServer::page(200, "X", "STREAM=http://media.example/live\r\n", "text/plain"));
    const QStringList urls{u"http://radio.example/live.ram"_s, server.url(u"/live.xdm"_s).toString(), {}};
    for (const QString &url : urls) {
      init();
      seams_->embeddedPlayer.present = !url.isEmpty();
      BuiltInPlayer player(seams_->embeddedPlayer);
      launcher_->setBuiltInPlayer(&player);
      options_->builtInPlayer = true;
      play(url.isEmpty() ? urls.first() : url);
      QCOMPARE(player.url(), url.endsWith(u".xdm"_s) ? u"http://media.example/live"_s : url);
      QCOMPARE(player.stationName(), url.isEmpty() ? QString() : u"Station"_s);
      QCOMPARE(prompter_.texts(),
               url.isEmpty() ? QStringList{u"Unable to start the built-in player."_s} : QStringList());
      QVERIFY(seams_->processes.started.isEmpty());
    }
  }
};

TESSIVAR_TEST_MAIN(TestPlayerLaunch)
#include "test_player_launch.moc"
