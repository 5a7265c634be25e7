// The libmpv player against local media: states in order, position and length, the stream's
// title, failures, and a player that starts over or goes away mid-stream.
#include "platform/embedded_player.h"
#include "platform/test_embedded_player_media.h"
#include "support/test_environment.h"

#include <QPointer>
#include <QTcpServer>

#include <memory>

using namespace tessivar;
using State = EmbeddedPlayState;

namespace {

// The states a player went through, each change once.
struct StateLog
{
  explicit StateLog(EmbeddedPlayer &player)
  {
    QObject::connect(&player, &EmbeddedPlayer::changed, &context, [this, &player] {
      if (states.isEmpty() || states.last() != player.state()) states << player.state();
      if (player.state() == State::Playing) {
        maxPosition = std::max(maxPosition, player.position());
        if (player.bandwidth() > 0) bandwidth = player.bandwidth();
      }
    });
  }
  QObject context;
  QList<State> states;
  double maxPosition = 0;
  double bandwidth = 0;
};

}  // namespace

class TestEmbeddedPlayer final : public QObject
{
  Q_OBJECT

 private:
  MpvPlayerEngine engine_{EmbeddedPlayerSettings{QStringLiteral("null"), QStringLiteral("null")}};
  test::ToneServer media_;
  std::unique_ptr<EmbeddedPlayer> player_;

 private slots:
  void initTestCase()
  {
    QVERIFY(engine_.available());
    QVERIFY(media_.listen());
  }

  void init()
  {
    player_.reset(engine_.createPlayer(nullptr));
    QVERIFY(player_);
    QCOMPARE(player_->state(), State::Idle);
  }

  void toneConnectsPlaysAndEnds()
  {
    StateLog log(*player_);
    player_->load(media_.url("/tone.wav"));
    QCOMPARE(player_->state(), State::Connecting);
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Ended, 15000);
    // Connecting first, Playing before the end, nothing after it.
    QCOMPARE(log.states.first(), State::Connecting);
    QVERIFY(log.states.contains(State::Playing));
    QCOMPARE(log.states.last(), State::Ended);
    QVERIFY(!log.states.contains(State::Failed));
    QVERIFY(qAbs(player_->length() - 2.0) < 0.1);
    QVERIFY(log.maxPosition > 0.5);
    QVERIFY(log.bandwidth > 0);
    QVERIFY(player_->errorText().isEmpty());
  }

  void liveStreamPlaysWithItsTitleUntilStopped()
  {
    player_->load(media_.url("/live.wav"));
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Playing, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(player_->streamTitle(), QStringLiteral("Test Tone"), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(player_->position() > 0.3, 15000);
    QVERIFY(media_.requestLines().last().startsWith("GET /live.wav "));
    // The tests' engine plays to its null output: nothing is heard, and the player says so.
    QTRY_VERIFY(player_->playsWithoutSound());

    player_->stop();
    QCOMPARE(player_->state(), State::Idle);
    QCOMPARE(player_->streamTitle(), QString());
    QCOMPARE(player_->position(), 0.0);
    // Reports of the stopped stream that were already on their way change nothing.
    QTest::qWait(300);
    QCOMPARE(player_->state(), State::Idle);
    QCOMPARE(player_->position(), 0.0);
  }

  void failures_data()
  {
    QTest::addColumn<QString>("address");
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 deadPort = closed.serverPort();
    closed.close();
    QTest::newRow("404") << media_.url("/missing");
    QTest::newRow("closed without answer") << media_.url("/nothing");
    QTest::newRow("refused") << QStringLiteral("http://127.0.0.1:%1/x.mp3").arg(deadPort);
    // Not network streams: never opened.
    QTest::newRow("local file") << QStringLiteral("file:///etc/passwd");
    QTest::newRow("engine protocol") << QStringLiteral("av://lavfi:sine");
    QTest::newRow("option-like") << QStringLiteral("--ao=pulse");
    QTest::newRow("empty") << QString();
  }

  void failures()
  {
    QFETCH(QString, address);
    StateLog log(*player_);
    player_->load(address);
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Failed, 15000);
    QVERIFY(!player_->errorText().isEmpty());
    QVERIFY(!log.states.contains(State::Playing));
  }

  void nextAddressAfterAFailurePlays()
  {
    player_->load(media_.url("/missing"));
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Failed, 15000);
    player_->load(media_.url("/live.wav"));
    QVERIFY(player_->errorText().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Playing, 15000);
    QVERIFY(player_->errorText().isEmpty());
  }

  void newAddressWhilePlayingStartsOver()
  {
    player_->load(media_.url("/live.wav"));
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Playing, 15000);
    StateLog log(*player_);
    player_->load(media_.url("/tone.wav"));
    QCOMPARE(player_->state(), State::Connecting);
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Ended, 15000);
    // The stream it left ends quietly: no Failed, no Idle in between.
    QVERIFY(!log.states.contains(State::Failed));
    QVERIFY(!log.states.contains(State::Idle));
    // A load straight after a stop is not undone by it.
    player_->stop();
    player_->load(media_.url("/live.wav"));
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Playing, 15000);
  }

  void goingAwayWhileConnectingOrPlaying()
  {
    player_->load(media_.url("/silent.wav"));
    QTest::qWait(200);
    QCOMPARE(player_->state(), State::Connecting);
    player_.reset();  // must return without waiting for the silent server
    init();
    player_->load(media_.url("/live.wav"));
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Playing, 15000);
    player_.reset();
    QTest::qWait(100);  // nothing queued for the dead player runs
  }

  void cutStreamEnds()
  {
    player_->load(media_.url("/live.wav"));
    QTRY_COMPARE_WITH_TIMEOUT(player_->state(), State::Playing, 15000);
    media_.dropAll();
    QTRY_VERIFY_WITH_TIMEOUT(player_->state() == State::Ended || player_->state() == State::Failed, 20000);
  }
};

TESSIVAR_TEST_MAIN(TestEmbeddedPlayer)
#include "test_embedded_player.moc"
