// The built-in player in the whole program, on the real engine and a local stream with a title: it
// plays inside; the bar, tray, media controls and song log show the title; the scanner stops it.
#include "app/ui/application.h"
#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "app/ui/tray_icon.h"
#include "base/program_options.h"
#include "library/song_log.h"
#include "platform/mpris_service.h"
#include "platform/test_embedded_player_media.h"
#include "results/built_in_player.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QLabel>
#include <QTemporaryDir>

using namespace tessivar;

class TestPlayerWiring final : public QObject
{
  Q_OBJECT

 private slots:
  void playsInsideAndShowsTheTitle()
  {
    test::ToneServer media;
    QVERIFY(media.listen());
    QTemporaryDir folder;
    SettingsStore settings(folder.filePath(u"settings.ini"_qs));
    settings.setText(SettingKey::BuiltInPlayer, u"True"_qs);
    test::FakePrompter prompter;
    test::FakeShellOpener shell;
    test::OtherSeams seams;
    MpvPlayerEngine mpv{EmbeddedPlayerSettings{u"null"_qs, u"null"_qs}};
    ProgramParts parts(
        AppServices{settings, prompter, shell, seams.transfers, seams.processes, seams.associations, mpv});
    MainWindow &window = parts.window();
    wireProgram(parts);
    parts.options().load();
    window.show();

    const QString url = media.url("/live.wav");
    emit window.playRequested(url, u"Tone FM"_qs);
    auto *title = window.findChild<QLabel *>(u"lblPlayerTitle"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(title->text(), u"Test Tone"_qs, 15000);
    QVERIFY(title->isVisible());
    QCOMPARE(window.controls().tray->toolTip(), u"Tone FM — Test Tone"_qs);
    const QVariantMap shown = parts.player().findChild<MprisSource *>()->metadata();
    QCOMPARE(shown.value(u"xesam:title"_qs).toString(), u"Test Tone"_qs);
    QCOMPARE(shown.value(u"xesam:album"_qs).toString(), u"Tone FM"_qs);

    // The stream repeats its title: it is logged once.
    QTRY_VERIFY_WITH_TIMEOUT(media.requestLines().size() >= 1, 5000);
    const SongLog *songs = window.findChild<SongLog *>();
    QCOMPARE(songs->songs(),
             (QList<HeardSong>{{songs->songs().value(0).time, u"Tone FM"_qs, url, u"Test Tone"_qs}}));

    // The scanner starting takes the sound device: the player stops.
    emit window.scanRequested();
    QTRY_COMPARE_WITH_TIMEOUT(parts.player().stateText(), u"Stopped"_qs, 5000);
    QCOMPARE(window.controls().tray->toolTip(), u"Tessivar! Broadcast 3.7"_qs);
  }
};

TESSIVAR_TEST_MAIN(TestPlayerWiring)
#include "test_player_wiring.moc"
