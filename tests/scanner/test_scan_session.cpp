// The scan session: the real directory's one-station walk with resume and its end, a test server
// for failures, silence and hostile answers, the per-station countdown, missing players, the
// playlist, Quit during a request and the user's proxy. The players are fakes driven here.
#include "base/product.h"
#include "base/settings_store.h"
#include "platform/proxy_setting.h"
#include "platform/station_list.h"
#include "platform/transfer_state.h"
#include "scanner/scan_session.h"
#include "scanner/scan_view.h"
#include "scanner/station_answer.h"
#include "support/directory_fixture.h"
#include "support/fake_prompter.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace tessivar;
using test::FakeEmbeddedPlayer;
using Reports = FakeEmbeddedPlayer::Reports;
using Server = test::HttpTestServer;
using State = EmbeddedPlayState;

namespace {

// A window that only writes down what it was shown.
struct RecordingView final : ScanView
{
  void setStatusText(int panel, const QString &text) override { (panel == 1 ? panel1 : panel2) = text; }
  void setStatusWord(const QString &text) override { word = text; }
  void showStation(const StationAnswer &station) override { names << station.name; }
  void setBitRateText(const QString &text) override { bitRate = text; }
  void setStreamTitle(const QString &text) override { title = text; }
  void setNextEnabled(bool on) override { nextEnabled = on; }
  void setPauseEnabled(bool on) override { pauseEnabled = on; }
  void setPresetsEnabled(bool on) override { presetsEnabled = on; }
  void setPauseCaption(const QString &caption) override { pauseCaption = caption; }
  void showLevelPictures(bool shown) override { levels = shown; }
  void setLevelFrame(int) override {}
  int secondsPerStation() const override { return seconds; }
  QString style() const override { return styleText; }
  bool includeUnknown() const override { return unknown; }
  void showStationArea() override {}
  void setStartShown(bool shown) override { startShown = shown; }
  void showPlaylistArea() override {}
  void closeWindow() override
  {
    ++closes;
    if (session) session->close();
  }

  ScanSession *session = nullptr;
  QString panel1, panel2, word, bitRate, title, pauseCaption;
  QStringList names;
  bool nextEnabled = false, pauseEnabled = false, presetsEnabled = false, levels = false, startShown = false;
  int seconds = 45;
  QString styleText = u"*All Stations"_qs;
  bool unknown = true;
  int closes = 0;
};

QByteArray station(const QByteArray &token, const QByteArray &address, const QByteArray &name = "Radio")
{
  return token + "@@@@http://site.test/@@@@" + name + "@@@@" + address + "@@@@MP3@@@@Ohio@@@@USA@@@@128k<BR>";
}

QString serverError()
{
  return u"Error Contacting Server, Please Try Back Later or Contact "_qs + product::supportEmail();
}

}  // namespace

class TestScanSession final : public QObject
{
  Q_OBJECT

 private:
  test::DirectoryFixture directory_;
  std::unique_ptr<test::DirectoryRelay> relay_;
  Server server_;
  QTemporaryDir folder_;
  std::unique_ptr<SettingsStore> settings_;
  test::FakePrompter prompter_;
  test::FakeShellOpener shell_;
  test::OtherSeams seams_;
  RecordingView view_;
  std::unique_ptr<ScanSession> session_;

  void open(const QString &dataServer, ScanSetup setup = {})
  {
    setup.dataServer = dataServer;
    session_ =
        std::make_unique<ScanSession>(view_, testServices(*settings_, prompter_, shell_, seams_), setup);
    view_.session = session_.get();
    session_->createPlayers();
  }
  QString directoryHost() const { return u"127.0.0.1:%1"_qs.arg(relay_->port()); }
  int requestBase_ = 0;
  // Requests the test server received in this test.
  int requests() const { return server_.requests().size() - requestBase_; }
  QString testServerHost() const { return u"127.0.0.1:%1"_qs.arg(server_.port()); }
  FakeEmbeddedPlayer *real() const { return static_cast<FakeEmbeddedPlayer *>(session_->realPlayer()); }
  FakeEmbeddedPlayer *media() const { return static_cast<FakeEmbeddedPlayer *>(session_->mediaPlayer()); }
  void report(FakeEmbeddedPlayer *player, State state, const QString &error = {})
  {
    Reports reports;
    reports.state = state;
    reports.error = error;
    player->report(reports);
  }
  QTimer *timer(const char *name) const { return session_->findChild<QTimer *>(QString::fromLatin1(name)); }
  // The scan waits before the next station: its length, and then the wait is cut short here.
  int skipWait()
  {
    QTimer *next = timer("Timer1");
    if (!QTest::qWaitFor([next] { return next->isActive(); })) return -1;
    const int wait = next->interval();
    session_->fetchTick();
    return wait;
  }
  QList<ListEntry> entries(const QStringList &addresses)
  {
    QList<ListEntry> list;
    for (const QString &address : addresses) list << ListEntry{address.section(u'/', -1), address};
    return list;
  }

 private slots:
  void initTestCase()
  {
    QVERIFY(directory_.importSampleCatalogue());
    QVERIFY(directory_.start({u"--quiet"_qs}));
    QVERIFY(server_.listen());
  }

  void init()
  {
    relay_ = std::make_unique<test::DirectoryRelay>(directory_.port());
    QVERIFY(relay_->listen());
    settings_ = std::make_unique<SettingsStore>(folder_.filePath(u"settings.ini"_qs));
    settings_->remove(SettingKey::LastScan);
    prompter_ = test::FakePrompter();
    view_ = RecordingView();
    seams_.processes.started.clear();
    requestBase_ = server_.requests().size();
  }

  void cleanup()
  {
    if (session_) session_->close();
    session_.reset();
    seams_.transfers.useProxy(ProxySetting{});
    QVERIFY(seams_.processes.started.isEmpty());  // nothing outside the player ever starts
  }

  void walksTheStyleToItsEnd()
  {
    view_.styleText = u"Ska"_qs;
    view_.unknown = false;
    open(directoryHost());
    session_->start();
    QTRY_COMPARE(real()->loads, QStringList{u"http://ska.example.test/live.mp3"_qs});
    QCOMPARE(view_.names, QStringList{u"Ska Beat Radio"_qs});
    QCOMPARE(view_.panel1, u"Connecting"_qs);
    QVERIFY(view_.nextEnabled);
    const QString first = session_->scanPosition();
    QCOMPARE(settings_->text(SettingKey::LastScan), u"0@Ska"_qs);

    report(real(), State::Playing);
    QCOMPARE(view_.panel1, u"Playing"_qs);
    QVERIFY(session_->isStationPlaying());
    session_->watcherTick();
    QVERIFY(view_.pauseEnabled && view_.presetsEnabled);

    session_->next();
    QTRY_COMPARE(real()->loads.size(), 2);
    QCOMPARE(view_.names.last(), u"Nebraska Skabilly"_qs);
    QCOMPARE(settings_->text(SettingKey::LastScan), first + u"@Ska"_qs);
    QVERIFY(real()->stops >= 1);

    session_->next();
    QTRY_COMPARE(view_.closes, 1);
    QCOMPARE(prompter_.texts(), QStringList{u"No more stations available for scan."_qs});
    QCOMPARE(settings_->text(SettingKey::LastScan), u"0@*All Stations"_qs);
    const QList<QByteArray> lines = relay_->requestLines();
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].contains("STYLE=%5Eska%5E,%5Eska$,ska-,ska/,skamusic,%60ska&GS=1&UNK=0&LS=0&SPD="));
    QVERIFY(lines[1].contains("&LS=" + first.toLatin1() + "&"));
  }

  void resumeAsksForTheSameStyle_data()
  {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("yes") << u"7@Jazz"_qs << int(PromptAnswer::Yes) << QByteArray("&LS=7&");
    QTest::newRow("no") << u"7@Jazz"_qs << int(PromptAnswer::No) << QByteArray("&LS=0&");
    QTest::newRow("other style") << u"7@Rock"_qs << -1 << QByteArray("&LS=0&");
  }

  void resumeAsksForTheSameStyle()
  {
    QFETCH(QString, stored);
    QFETCH(int, answer);
    QFETCH(QByteArray, sent);
    settings_->setText(SettingKey::LastScan, stored);
    if (answer >= 0) prompter_.answers << PromptAnswer(answer);
    view_.styleText = u"Jazz"_qs;
    open(directoryHost());
    session_->start();
    QCOMPARE(prompter_.texts().size(), answer >= 0 ? 1 : 0);
    QTRY_COMPARE(relay_->requestLines().size(), 1);
    QVERIFY(relay_->requestLines().first().contains(sent));
  }

  void styleWithoutStations()
  {
    view_.styleText = u"Zydeco"_qs;
    open(directoryHost());
    session_->start();
    QTRY_COMPARE(view_.closes, 1);
    QCOMPARE(prompter_.prompts.first().icon, PromptIcon::Information);
    QCOMPARE(prompter_.texts(),
             QStringList{u"No stations of this type (for selected player) are available for scan."_qs});
    QCOMPARE(settings_->text(SettingKey::LastScan), u"0@Zydeco"_qs);
  }

  void failedRequests_data()
  {
    QTest::addColumn<Server::Script>("script");
    QTest::newRow("silent") << Server::Script{Server::hold()};
    QTest::newRow("cut") << Server::Script{Server::send("HTTP/1.1 200 OK\r\nContent-Length: 90\r\n\r\n5@@@@"),
                                           Server::reset()};
    QTest::newRow("cut short") << Server::page(200, "OK", "5@@@@x@@@@Name");
    QTest::newRow("error page") << Server::page(500, "Internal Server Error", "<html>Error</html>");
    QTest::newRow("endless answer") << Server::Script{
        Server::send("HTTP/1.1 200 OK\r\n\r\n" + station("5", "http://s.test/x.mp3")),
        Server::send(QByteArray(3 << 20, 'x')), Server::send(QByteArray(3 << 20, 'x')), Server::hold()};
  }

  void failedRequests()
  {
    QFETCH(Server::Script, script);
    server_.setScript(script);
    open(testServerHost());
    session_->start();
    QTRY_COMPARE(requests(), 1);
    if (QTest::currentDataTag() == QByteArray("silent")) {
      QTest::qWait(100);
      QCOMPARE(view_.closes, 0);
      session_->transferState().setIdleTicks(ScanSession::silenceSeconds);
    }
    QTRY_COMPARE(view_.closes, 1);
    QCOMPARE(prompter_.texts(), QStringList{serverError()});
    QCOMPARE(prompter_.prompts.first().icon, PromptIcon::Critical);
    QVERIFY(real()->loads.isEmpty());
    server_.release();
  }

  void quitDuringTheRequestPlaysNothing()
  {
    server_.setScript(
        {Server::hold(), Server::send(Server::head(200, "OK", 80) + station("5", "http://s.test/a.mp3"))});
    open(testServerHost());
    session_->start();
    QTRY_COMPARE(requests(), 1);
    session_->close();
    server_.release();
    QTest::qWait(200);
    QVERIFY(prompter_.prompts.isEmpty());
    QVERIFY(real()->loads.isEmpty());
  }

  void hostileAnswers_data()
  {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("plays");
    QTest::newRow("file address") << station("5", "file:///etc/passwd") << false;
    QTest::newRow("option address") << station("5", "--ao=x.mp3") << false;
    QTest::newRow("empty address") << station("5", "") << false;
    QTest::newRow("streamworks") << station("5", "http://s.test/a.xdm") << false;
    QTest::newRow("controls in name") << station("5", "http://s.test/a.mp3", "A\x01\x1b[2J<b>") << true;
    QTest::newRow("megabyte name") << station("5", "http://s.test/a.mp3", QByteArray(1 << 20, 'n')) << true;
  }

  void hostileAnswers()
  {
    QFETCH(QByteArray, answer);
    QFETCH(bool, plays);
    server_.setScript(Server::page(200, "OK", answer, "text/plain"));
    open(testServerHost());
    session_->start();
    if (plays) {
      QTRY_COMPARE(real()->loads.size(), 1);
    } else {
      // Shown, not played: the scan goes on to the next station after a while.
      QTRY_COMPARE(view_.names.size(), 1);
      QCOMPARE(skipWait(), ScanSession::retryDelayMs(1));
      QTRY_VERIFY(requests() >= 2);
      QVERIFY(real()->loads.isEmpty() && media()->loads.isEmpty());
    }
    QVERIFY(prompter_.prompts.isEmpty());
  }

  void stationCountdownWatchdogAndPause()
  {
    server_.setScript(Server::page(200, "OK", station("5", "http://s.test/a.mp3")));
    view_.seconds = 10;
    open(testServerHost());
    session_->start();
    TransferState &state = session_->transferState();
    // The seconds are counted here, not by the clock.
    const auto loaded = [&](int count) {
      QTRY_COMPARE(real()->loads.size(), count);
      state.idleTimer()->stop();
    };
    loaded(1);

    // Still connecting after 11 seconds with 10 set: the time setting moves on first (a station that
    // never played: after a wait).
    state.setIdleTicks(10);
    QTRY_COMPARE(view_.panel2, u"10 Seconds"_qs);
    state.setIdleTicks(11);
    QCOMPARE(skipWait(), ScanSession::retryDelayMs(1));
    loaded(2);

    // With 45 set, the connect watchdog leaves a station connecting after more than 15 seconds.
    view_.seconds = 45;
    state.setIdleTicks(15);
    QTest::qWait(50);
    QCOMPARE(real()->loads.size(), 2);
    state.setIdleTicks(16);
    QTRY_COMPARE(view_.panel1, u"No answer from the station"_qs);
    QCOMPARE(skipWait(), ScanSession::retryDelayMs(2));
    loaded(3);

    // Played to the null output: said so, and the level stays still.
    Reports silent;
    silent.state = State::Playing;
    silent.silent = true;
    real()->report(silent);
    QCOMPARE(view_.panel1, u"No audio output"_qs);
    session_->watcherTick();
    QVERIFY(!timer("Timer4")->isActive());

    // Playing: Pause holds the count; the switch comes when the count passes the setting.
    report(real(), State::Playing);
    session_->togglePause();
    QCOMPARE(view_.pauseCaption, u"&Resume"_qs);
    QVERIFY(!state.idleTimer()->isActive());
    session_->togglePause();
    QVERIFY(state.idleTimer()->isActive());
    state.idleTimer()->stop();
    state.setIdleTicks(45);
    QTest::qWait(50);
    QCOMPARE(real()->loads.size(), 3);
    state.setIdleTicks(46);
    loaded(4);

    // A player error shows its text and moves on after a wait; the end of the stream moves on.
    report(real(), State::Failed, u"Loading failed"_qs);
    QCOMPARE(view_.panel1, u"Loading failed"_qs);
    QCOMPARE(skipWait(), ScanSession::retryDelayMs(1));
    QTRY_COMPARE(real()->loads.size(), 5);
    report(real(), State::Playing);
    report(real(), State::Ended);
    QCOMPARE(view_.panel1, u"Stopped"_qs);
    QTRY_COMPARE(real()->loads.size(), 6);
  }

  void missingPlayers()
  {
    // The engine makes both players, whatever players the desktop has.
    open(testServerHost());
    QVERIFY(prompter_.prompts.isEmpty());
    QVERIFY(session_->realPlayer() != nullptr && session_->mediaPlayer() != nullptr);

    // An engine that cannot make players: both are missing.
    session_->close();
    seams_.embeddedPlayer.present = false;
    open(testServerHost());
    seams_.embeddedPlayer.present = true;
    QCOMPARE(prompter_.texts().size(), 2);
    QVERIFY(prompter_.texts().first().startsWith(u"Critical Error. You are missing RealPlayer"_qs));
  }

  void stationsThatCannotPlayWaitLongerThenPause()
  {
    server_.setScript(Server::page(200, "OK", station("5", "http://s.test/a.mp3")));
    open(testServerHost());
    session_->start();
    // Each failure in a row waits longer; the fifth pauses the scan, which then asks nothing.
    for (int failure = 1; failure <= ScanSession::failuresBeforePause; ++failure) {
      QTRY_COMPARE(real()->loads.size(), failure);
      report(real(), State::Failed, u"Loading failed"_qs);
      if (failure < ScanSession::failuresBeforePause)
        QCOMPARE(skipWait(), ScanSession::retryDelayMs(failure));
    }
    QTRY_VERIFY(session_->isStalled());
    QCOMPARE(requests(), ScanSession::failuresBeforePause);
    QVERIFY(!timer("Timer1")->isActive());
    QVERIFY(prompter_.texts().last().contains(u"Loading failed"_qs));
    QVERIFY(view_.startShown && view_.nextEnabled);

    // Start goes on; a station that plays ends the run of failures.
    session_->start();
    QVERIFY(!session_->isStalled() && !view_.startShown);
    QTRY_COMPARE(real()->loads.size(), ScanSession::failuresBeforePause + 1);
    report(real(), State::Playing);
    session_->next();
    QTRY_COMPARE(real()->loads.size(), ScanSession::failuresBeforePause + 2);
    report(real(), State::Failed, u"Loading failed"_qs);
    QCOMPARE(skipWait(), ScanSession::retryDelayMs(1));
  }

  void playlistPlaysInOrder()
  {
    open(testServerHost());
    session_->addPlaylistEntries(
        entries({u"http://c.test/a.mp3"_qs, u"http://c.test/b.wma"_qs, u"http://c.test/c.rm"_qs}));
    auto run = session_->DoPlaylist();
    QVERIFY(session_->isPlaylistRunning());
    QCOMPARE(real()->loads, QStringList{u"http://c.test/a.mp3"_qs});
    QCOMPARE(session_->playedList().isSelected(0), true);

    // RealPlayer entries follow the monitor; the clip's end goes on to the next entry.
    report(real(), State::Playing);
    Reports position;
    position.state = State::Playing;
    position.position = 5.4;
    position.length = 10;
    real()->report(position);
    QCOMPARE(view_.panel2, u"[00:05/00:10]"_qs);
    report(real(), State::Ended);
    QTRY_COMPARE(media()->loads, QStringList{u"http://c.test/b.wma"_qs});

    // The other entries follow the playlist's own states.
    QCOMPARE(view_.panel1, u"Loading..."_qs);
    report(media(), State::Playing);
    QCOMPARE(view_.panel1, u"Playing"_qs);
    report(media(), State::Ended);
    QCOMPARE(view_.panel1, u"Stopped..."_qs);
    QTRY_COMPARE(real()->loads.size(), 2);
    report(real(), State::Failed, u"Loading failed"_qs);
    QTRY_VERIFY(!session_->isPlaylistRunning());
    QCOMPARE(view_.panel1, u"Loading failed"_qs);
    QCOMPARE(view_.closes, 0);  // the window stays open on the last state
  }

  void playlistKeys()
  {
    open(testServerHost());
    const QStringList list{u"http://c.test/0.mp3"_qs, u"http://c.test/1.mp3"_qs, u"http://c.test/2.mp3"_qs,
                           u"http://c.test/3.mp3"_qs, u"http://c.test/4.mp3"_qs};
    session_->addPlaylistEntries(entries(list));
    auto run = session_->DoPlaylist();
    // Previous on the first entry goes on to the second.
    session_->previousEntry();
    QTRY_COMPARE(real()->loads.last(), list[1]);
    session_->nextEntry();
    QTRY_COMPARE(real()->loads.last(), list[2]);
    // Deleting an entry above the one playing: the one after it still plays next.
    session_->playedList().setCurrentIndex(0);
    session_->removeCurrentEntry();
    session_->nextEntry();
    QTRY_COMPARE(real()->loads.last(), list[3]);
    // Enter on an entry plays it next; entries added meanwhile join the end.
    session_->addPlaylistEntries(entries({u"http://c.test/5.mp3"_qs}));
    QCOMPARE(session_->playedList().count(), 5);
    session_->playedList().setCurrentIndex(4);
    session_->playChosenEntry();
    QTRY_COMPARE(real()->loads.last(), u"http://c.test/5.mp3"_qs);
    report(real(), State::Playing);
    report(real(), State::Ended);
    QTRY_VERIFY(!session_->isPlaylistRunning());
    // A new playlist replaces the finished one.
    session_->addPlaylistEntries(entries({u"http://c.test/9.mp3"_qs}));
    QCOMPARE(session_->playedList().count(), 1);
  }

  void requestsGoThroughTheUsersProxy()
  {
    view_.styleText = u"Special (Police, Emergency, Scanner)"_qs;
    seams_.transfers.useProxy(ProxySetting{true, u"127.0.0.1"_qs, relay_->port()});
    open(u"directory.invalid"_qs);
    session_->start();
    QTRY_COMPARE(real()->loads, QStringList{u"http://police.example.test/feed.mp3"_qs});
    QVERIFY(relay_->requestLines().first().startsWith("GET http://directory.invalid/tessivar37.asp?"));
  }
};

TESSIVAR_TEST_MAIN(TestScanSession)
#include "test_scan_session.moc"
