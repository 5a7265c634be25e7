// The scanner on the session bus: its name while the window is open, and a scan of the real
// directory playing a local tone, read and steered (Pause, PlayPause, Next, Stop) from another
// connection as the desktop's media controls would.
#include "base/settings_store.h"
#include "platform/test_embedded_player_media.h"
#include "scanner/ui/scan_window.h"
#include "scanner/ui/scanner_mpris.h"
#include "support/directory_fixture.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QPushButton>
#include <QTemporaryDir>

using namespace tessivar;

namespace {

const QString service = u"org.mpris.MediaPlayer2.tessivar"_qs;
const QString path = u"/org/mpris/MediaPlayer2"_qs;
const QString rootInterface = u"org.mpris.MediaPlayer2"_qs;
const QString playerInterface = u"org.mpris.MediaPlayer2.Player"_qs;

// The names of the Player properties announced in PropertiesChanged, in order.
class ChangeLog final : public QObject
{
  Q_OBJECT

 public:
  QStringList names;

 public slots:
  void changed(const QString &interface, const QVariantMap &properties, const QStringList &)
  {
    if (interface == playerInterface) names << properties.keys();
  }
};

}  // namespace

class TestScannerMpris final : public QObject
{
  Q_OBJECT

 private:
  test::DirectoryFixture directory_;
  test::ToneServer media_;
  QTemporaryDir folder_;
  SettingsStore settings_{folder_.filePath(u"settings.ini"_qs)};
  test::FakePrompter prompter_;
  test::FakeShellOpener shell_;
  test::OtherSeams seams_;
  MpvPlayerEngine mpv_{EmbeddedPlayerSettings{u"null"_qs, u"null"_qs}};
  QPointer<ScanWindow> window_;
  // A connection of its own: every call travels through the bus, as another program's would.
  QDBusConnection client_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"media-controls"_qs);

  void open(const QString &dataServer)
  {
    const AppServices shared = test::testServices(settings_, prompter_, shell_, seams_);
    const AppServices services{shared.settings,  shared.prompter,     shared.shell, shared.transfers,
                               shared.processes, shared.associations, mpv_};
    window_ = new ScanWindow(services, ScanSetup{dataServer, {}});
    new ScannerMpris(*window_);
    window_->load();
    window_->show();
  }
  bool registered() { return client_.interface()->isServiceRegistered(service).value(); }

  // One round trip, waited for while events run (the player answers on this same thread).
  QDBusMessage roundTrip(const QString &interface, const QString &method, const QVariantList &arguments = {})
  {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    QDBusPendingCall call = client_.asyncCall(message);
    if (!QTest::qWaitFor([&call] { return call.isFinished(); }, 10000)) return {};
    return call.reply();
  }
  QVariant property(const QString &interface, const QString &name)
  {
    const QDBusMessage reply = roundTrip(u"org.freedesktop.DBus.Properties"_qs, u"Get"_qs, {interface, name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
  }
  QString status() { return property(playerInterface, u"PlaybackStatus"_qs).toString(); }
  QVariantMap metadata()
  {
    return qdbus_cast<QVariantMap>(property(playerInterface, u"Metadata"_qs).value<QDBusArgument>());
  }
  QString album() { return metadata().value(u"xesam:album"_qs).toString(); }
  void command(const char *method)
  {
    const QDBusMessage reply = roundTrip(playerInterface, QString::fromLatin1(method));
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, method);
  }

 private slots:
  void initTestCase()
  {
    if (!QDBusConnection::sessionBus().isConnected())
      QSKIP("No D-Bus session bus: run this test under dbus-run-session (ctest does)");
    QVERIFY(client_.isConnected());
    QVERIFY(media_.listen());
    const QByteArray stations =
        "name,stream_url,homepage,tags,country,state,codec,bitrate\n"
        "Tone Radio," +
        media_.url("/live.wav").toUtf8() +
        ",,jazz,Norway,Oslo,MP3,64\n"
        "Quiet Radio," +
        media_.url("/silent.wav").toUtf8() + ",,jazz,Norway,Oslo,MP3,64\n";
    QVERIFY(directory_.import({u"--stations"_qs, directory_.writeFile(u"stations.csv"_qs, stations)}));
    QVERIFY(directory_.start({u"--quiet"_qs}));
  }

  void cleanup()
  {
    if (window_) window_->close();
    QTRY_VERIFY(window_.isNull());
  }

  void heldOnlyWhileTheWindowIsOpen()
  {
    QVERIFY(!registered());
    open(u"127.0.0.1:1"_qs);
    QVERIFY(registered());
    QCOMPARE(property(rootInterface, u"Identity"_qs).toString(), u"Tessivar! Broadcast"_qs);
    QCOMPARE(status(), u"Stopped"_qs);
    QCOMPARE(property(playerInterface, u"CanGoNext"_qs).toBool(), false);
    QCOMPARE(metadata().value(u"mpris:trackid"_qs).value<QDBusObjectPath>().path(),
             u"/org/mpris/MediaPlayer2/TrackList/NoTrack"_qs);
    // Nothing plays yet: the buttons of the bus do nothing.
    command("Next");
    command("PlayPause");
    QCOMPARE(status(), u"Stopped"_qs);
    window_->close();
    QTRY_VERIFY(!registered());
  }

  void drivesTheScanOverTheBus()
  {
    ChangeLog changes;
    QVERIFY(client_.connect(service, path, u"org.freedesktop.DBus.Properties"_qs, u"PropertiesChanged"_qs,
                            &changes, SLOT(changed(QString, QVariantMap, QStringList))));
    open(u"127.0.0.1:%1"_qs.arg(directory_.port()));
    window_->findChild<QPushButton *>(u"cmdStart"_qs)->click();

    QTRY_COMPARE_WITH_TIMEOUT(status(), u"Playing"_qs, 15000);
    QCOMPARE(album(), u"Tone Radio"_qs);
    QCOMPARE(metadata().value(u"xesam:url"_qs).toString(), media_.url("/live.wav"));
    QTRY_COMPARE_WITH_TIMEOUT(metadata().value(u"xesam:title"_qs).toString(), u"Test Tone"_qs, 15000);
    const QString firstTrack = metadata().value(u"mpris:trackid"_qs).value<QDBusObjectPath>().path();
    QVERIFY(firstTrack.startsWith(u"/org/tessivar/scanner/station/"_qs));
    QTRY_VERIFY(changes.names.contains(u"PlaybackStatus"_qs) && changes.names.contains(u"Metadata"_qs));

    command("Pause");
    QCOMPARE(status(), u"Paused"_qs);
    QCOMPARE(window_->findChild<QPushButton *>(u"cmdPause"_qs)->text(), u"&Resume"_qs);
    command("PlayPause");
    QCOMPARE(status(), u"Playing"_qs);

    // The next station never answers: it is shown, connecting.
    command("Next");
    QTRY_COMPARE_WITH_TIMEOUT(album(), u"Quiet Radio"_qs, 10000);
    QCOMPARE(status(), u"Stopped"_qs);
    QCOMPARE(metadata().value(u"xesam:title"_qs).toString(), u"Quiet Radio"_qs);
    QVERIFY(metadata().value(u"mpris:trackid"_qs).value<QDBusObjectPath>().path() != firstTrack);

    command("Stop");
    QTRY_VERIFY(window_.isNull());
    QTRY_VERIFY(!registered());
    QVERIFY(prompter_.prompts.isEmpty());
  }
};

TESSIVAR_TEST_MAIN(TestScannerMpris)
#include "test_scanner_mpris.moc"
