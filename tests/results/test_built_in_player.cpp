// The built-in player over the real engine and a local live stream with a title.
#include "platform/test_embedded_player_media.h"
#include "results/built_in_player.h"
#include "results/built_in_player_mpris.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessivar;

class TestBuiltInPlayer final : public QObject
{
  Q_OBJECT

 private slots:
  void playsPausesRecordsAndStops();
  void titlesNameTheArtistWhenTheyCan();
};

void TestBuiltInPlayer::playsPausesRecordsAndStops()
{
  MpvPlayerEngine engine{EmbeddedPlayerSettings{QStringLiteral("null"), QStringLiteral("null")}};
  test::ToneServer media;
  QVERIFY(media.listen());
  BuiltInPlayer player(engine);
  BuiltInPlayerMpris mpris(player, {});
  QCOMPARE(player.stateText(), QStringLiteral("Stopped"));
  QSignalSpy titles(&player, &BuiltInPlayer::titleHeard);

  QVERIFY(player.play(media.url("/live.wav"), QStringLiteral("Tone FM")));
  QCOMPARE(player.stateText(), QStringLiteral("Connecting…"));
  // No sound device here: the engine plays to its null output, and says so.
  QTRY_COMPARE_WITH_TIMEOUT(player.stateText(), QStringLiteral("No audio output"), 15000);
  QTRY_COMPARE_WITH_TIMEOUT(player.streamTitle(), QStringLiteral("Test Tone"), 15000);
  QTRY_VERIFY_WITH_TIMEOUT(media.requestLines().size() >= 1, 5000);
  QCOMPARE(titles.size(), 1);
  QCOMPARE(titles.first(),
           (QVariantList{QStringLiteral("Tone FM"), media.url("/live.wav"), QStringLiteral("Test Tone")}));

  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("tone.wav"));
  QVERIFY(player.setRecordingFile(file));
  QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file).size() > 4000, 15000);

  player.togglePause();
  QTRY_COMPARE_WITH_TIMEOUT(player.state(), EmbeddedPlayState::Paused, 5000);
  player.stop();
  QTRY_COMPARE_WITH_TIMEOUT(player.stateText(), QStringLiteral("Stopped"), 5000);
  QVERIFY(player.recordingFile().isEmpty());
  QCOMPARE(mpris.playbackStatus(), QStringLiteral("Stopped"));
  // Title changes of the same stream are heard once each, even when the stream repeats them.
  QCOMPARE(titles.size(), 1);
}

void TestBuiltInPlayer::titlesNameTheArtistWhenTheyCan()
{
  const auto artist = [](const char *title) {
    return mprisStreamMetadata(QStringLiteral("/t/1"), QStringLiteral("http://s/"), QStringLiteral("S"),
                               QString::fromUtf8(title))
        .value(QStringLiteral("xesam:artist"))
        .toStringList()
        .join(u'|');
  };
  QCOMPARE(artist("Miles Davis - So What"), QStringLiteral("Miles Davis"));
  QCOMPARE(artist("News at six"), QString());
  QCOMPARE(artist(" - Untitled"), QString());
  QCOMPARE(artist("Band - "), QString());
}

QTEST_GUILESS_MAIN(TestBuiltInPlayer)
#include "test_built_in_player.moc"
