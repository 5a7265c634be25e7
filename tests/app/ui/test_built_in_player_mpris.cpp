// The built-in player in the whole program, with the real engine and a local stream sending
// titles: a play request plays inside, the bar, the tray and the media controls on the session
// bus show it, its title is logged once, and the scanner starting stops it.
#include "app/ui/application.h"
#include "app/ui/main_window.h"
#include "app/ui/tray_icon.h"
#include "base/program_options.h"
#include "library/song_log.h"
#include "platform/test_embedded_player_media.h"
#include "results/built_in_player.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>

using namespace tessivar;

class TestBuiltInPlayerMpris final : public QObject
{
  Q_OBJECT

 private:
  QDBusConnection client_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"media-controls"_qs);

  QVariantMap metadata()
  {
    QDBusMessage get =
        QDBusMessage::createMethodCall(u"org.mpris.MediaPlayer2.tessivar"_qs, u"/org/mpris/MediaPlayer2"_qs,
                                       u"org.freedesktop.DBus.Properties"_qs, u"Get"_qs);
    get.setArguments({u"org.mpris.MediaPlayer2.Player"_qs, u"Metadata"_qs});
    QDBusPendingCall call = client_.asyncCall(get);
    if (!QTest::qWaitFor([&call] { return call.isFinished(); }, 10000)) return {};
    const QVariant value = call.reply().arguments().value(0).value<QDBusVariant>().variant();
    return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
  }

 private slots:
  void playsInsideShowsAndLogsTheTitle()
  {
    if (!QDBusConnection::sessionBus().isConnected())
      QSKIP("No D-Bus session bus: run this test under dbus-run-session (ctest does)");
    test::ToneServer media;
    QVERIFY(media.listen());
    QTemporaryDir folder;
    SettingsStore settings(folder.filePath(u"settings.ini"_qs));
    settings.setText(SettingKey::BuiltInPlayer, u"True"_qs);
    test::FakePrompter prompter;
    test::FakeShellOpener shell;
    test::OtherSeams seams;
    MpvPlayerEngine mpv{EmbeddedPlayerSettings{u"null"_qs, u"null"_qs}};
    const AppServices services{settings,        prompter,           shell, seams.transfers,
                               seams.processes, seams.associations, mpv};
    MainWindow window(services);
    wireMainWindow(window);
    window.programOptions().load();
    window.show();

    const QString url = media.url("/live.wav");
    emit window.playRequested(url, u"Tone FM"_qs);
    auto *title = window.findChild<QLabel *>(u"lblPlayerTitle"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(title->text(), u"Test Tone"_qs, 15000);
    QVERIFY(title->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QLabel *>(u"lblPlayerState"_qs)->text(), u"No audio output"_qs,
                              15000);
    QVERIFY(seams.processes.started.isEmpty());
    QCOMPARE(window.trayIcon().toolTip(), u"Tone FM — Test Tone"_qs);

    const QVariantMap shown = metadata();
    QCOMPARE(shown.value(u"xesam:title"_qs).toString(), u"Test Tone"_qs);
    QCOMPARE(shown.value(u"xesam:album"_qs).toString(), u"Tone FM"_qs);
    QCOMPARE(shown.value(u"xesam:url"_qs).toString(), url);

    // The stream repeats its title: it is logged once.
    QTRY_VERIFY_WITH_TIMEOUT(media.requestLines().size() >= 1, 5000);
    const SongLog *songs = window.findChild<SongLog *>();
    QCOMPARE(songs->songs().size(), 1);
    QCOMPARE(songs->songs().first().station, u"Tone FM"_qs);
    QCOMPARE(songs->songs().first().url, url);
    QCOMPARE(songs->songs().first().title, u"Test Tone"_qs);

    // The scanner starting takes the sound device: the player stops.
    emit window.scanRequested();
    auto *player = window.findChild<BuiltInPlayer *>(u"builtInPlayer"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(player->stateText(), u"Stopped"_qs, 5000);
    QCOMPARE(window.trayIcon().toolTip(), u"Tessivar! Broadcast 3.7"_qs);
    QCOMPARE(songs->songs().size(), 1);
  }
};

TESSIVAR_TEST_MAIN(TestBuiltInPlayerMpris)
#include "test_built_in_player_mpris.moc"
