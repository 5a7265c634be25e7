// The scanner window: its controls, a scan of the real directory in the real embedded player
// against a local tone, closing at every stage, Add Preset, Bookmark and Record.
#include "base/settings_store.h"
#include "base/site_links.h"
#include "platform/station_list.h"
#include "platform/test_embedded_player_media.h"
#include "scanner/ui/scan_window.h"
#include "support/directory_fixture.h"
#include "support/fake_prompter.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace tessivar;
using Server = test::HttpTestServer;

namespace {

QByteArray station(const QByteArray &name, const QString &address,
                   const QByteArray &website = "http://site.test/")
{
  return "5@@@@" + website + "@@@@" + name + "@@@@" + address.toUtf8() +
         "@@@@MP3@@@@Oslo@@@@Norway@@@@64k<BR>";
}

QString accessibleName(QWidget *widget)
{
  QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

}  // namespace

class TestScanWindow final : public QObject
{
  Q_OBJECT

 private:
  test::DirectoryFixture directory_;
  test::ToneServer media_;
  Server server_;
  QTemporaryDir folder_;
  SettingsStore settings_{folder_.filePath(u"settings.ini"_qs)};
  test::FakePrompter prompter_;
  test::FakeShellOpener shell_;
  test::OtherSeams seams_;
  MpvPlayerEngine mpv_{EmbeddedPlayerSettings{u"null"_qs, u"null"_qs}};
  QPointer<ScanWindow> window_;
  bool presetsWritable_ = true;

  ScanWindow *open(const QString &dataServer, EmbeddedPlayerEngine *engine = nullptr,
                   QWidget *owner = nullptr)
  {
    const AppServices shared = test::testServices(settings_, prompter_, shell_, seams_);
    const AppServices services{shared.settings,
                               shared.prompter,
                               shared.shell,
                               shared.transfers,
                               shared.processes,
                               shared.associations,
                               engine != nullptr ? *engine : shared.embeddedPlayer};
    ScanSetup setup{dataServer, {}};
    // Presets are stored as the main window stores them: here, into the store, or refused.
    setup.assignPreset = [this](int slot, const QString &name, const QString &url) {
      if (!presetsWritable_) return false;
      settings_.setPreset(slot, name + presetSeparator + url);
      return true;
    };
    window_ = new ScanWindow(services, setup, owner);
    window_->load();
    window_->show();
    return window_;
  }
  template <typename T>
  T *find(const char *name) const
  {
    return window_->findChild<T *>(QString::fromLatin1(name));
  }
  QString panel(int number) const
  {
    return window_->findChild<QLabel *>(u"statbarPanel"_qs + QString::number(number))->text();
  }
  test::FakeEmbeddedPlayer *fakePlayer() const
  {
    return static_cast<test::FakeEmbeddedPlayer *>(window_->session().realPlayer());
  }
  void playFake(const QByteArray &answer)
  {
    server_.setScript(Server::page(200, "OK", answer, "text/plain"));
    open(u"127.0.0.1:%1"_qs.arg(server_.port()));
    find<QPushButton>("cmdStart")->click();
    QTRY_COMPARE(fakePlayer()->loads.size(), 1);
    test::FakeEmbeddedPlayer::Reports playing;
    playing.state = EmbeddedPlayState::Playing;
    fakePlayer()->report(playing);
    window_->session().watcherTick();
  }

 private slots:
  void initTestCase()
  {
    QVERIFY(media_.listen());
    QVERIFY(server_.listen());
    const QByteArray stations =
        "name,stream_url,homepage,tags,country,state,codec,bitrate\n"
        "Tone Jazz," +
        media_.url("/live.wav").toUtf8() +
        ",http://tone.test/,jazz,Norway,Oslo,MP3,64\n"
        "Dead Jazz," +
        media_.url("/missing.mp3").toUtf8() + ",,jazz,,,MP3,32\n";
    QVERIFY(directory_.import({u"--stations"_qs, directory_.writeFile(u"stations.csv"_qs, stations)}));
    QVERIFY(directory_.start({u"--quiet"_qs}));
  }

  void init()
  {
    prompter_ = test::FakePrompter();
    shell_.opened.clear();
    seams_.processes.started.clear();
    settings_.remove(SettingKey::LastScan);
  }

  void cleanup()
  {
    if (window_) window_->close();
    QTRY_VERIFY(window_.isNull());
  }

  void controlsAreNamedAndReadable()
  {
    open(u"127.0.0.1:1"_qs);
    QCOMPARE(window_->windowTitle(), u"Tessivar! Broadcast - Station Scan"_qs);
    for (const char *name : {"comboStyle", "chkU", "txtS", "cmdStart", "cmdNext", "cmdPause", "cmdPresets",
                             "lstPL", "cmdBookmar", "cmdRec", "cmdNextC", "cmdPrevC", "cmdQuit", "FrameR",
                             "framePL", "frameIn", "picVol0", "picVol1"}) {
      QWidget *control = find<QWidget>(name);
      QVERIFY2(control != nullptr, name);
      QVERIFY2(!accessibleName(control).isEmpty(), name);
    }
    // Labels read what they show.
    for (const char *name : {"lblInfo0", "lblInfo1", "lblInfo2", "lblInfo3", "Label1", "statbarPanel1"}) {
      QLabel *label = find<QLabel>(name);
      QVERIFY2(label != nullptr && label->accessibleName().isEmpty(), name);
      QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    for (const char *name : {"Timer1", "Timer2", "Timer4", "TimerReal"}) QVERIFY2(find<QTimer>(name), name);

    auto *style = find<QComboBox>("comboStyle");
    auto *unknown = find<QCheckBox>("chkU");
    QCOMPARE(style->count(), 34);
    QVERIFY(unknown->isChecked());
    style->setCurrentText(u"Jazz"_qs);
    QVERIFY(!unknown->isChecked());
    style->setCurrentText(u"*All Stations"_qs);
    QVERIFY(unknown->isChecked());

    auto *seconds = find<QLineEdit>("txtS");
    QCOMPARE(seconds->text(), u"45"_qs);
    QTest::keyClicks(seconds, u"ab"_qs);
    QCOMPARE(seconds->text(), u"45"_qs);
    seconds->clear();
    QCOMPARE(seconds->text(), u"25"_qs);
    seconds->setText(u"99999"_qs);
    QCOMPARE(seconds->text(), u"32000"_qs);
    QVERIFY(window_->height() >= 190 * window_->logicalDpiY() / 96);  // 2976 twips at least
  }

  void comesBackInFrontOfTheMainWindow()
  {
    QWidget owner;
    owner.show();
    open(u"127.0.0.1:1"_qs, nullptr, &owner);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    owner.activateWindow();
    QTest::qWait(100);
    QVERIFY(window_->isActiveWindow());
    window_->close();
  }

  void scansTheDirectoryInTheRealPlayer()
  {
    QVERIFY(mpv_.available());
    auto *scanner = open(u"127.0.0.1:%1"_qs.arg(directory_.port()), &mpv_);
    QSignalSpy closed(scanner, &ScanWindow::closed);
    QSignalSpy titles(scanner, &ScanWindow::streamTitleChanged);
    find<QComboBox>("comboStyle")->setCurrentText(u"Jazz"_qs);
    find<QPushButton>("cmdStart")->click();
    QVERIFY(!find<QPushButton>("cmdStart")->isVisible());
    // The dead station, whether it comes first or last, fails in the player and the scan moves on.
    QTRY_COMPARE_WITH_TIMEOUT(find<QLabel>("lblInfo0")->text(), u"Tone Jazz"_qs, 15000);
    // The tests' engine plays to its null output, and the scanner says so.
    QTRY_COMPARE_WITH_TIMEOUT(panel(1), u"No audio output"_qs, 15000);
    QVERIFY(panel(2).endsWith(u" Seconds"_qs));
    QCOMPARE(find<QLabel>("Label1")->text(), u"Playing..."_qs);
    QCOMPARE(find<QLabel>("lblInfo2")->text(), u"Oslo, Norway"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(find<QLabel>("lblTitle")->text(), u"Test Tone"_qs, 15000);
    QVERIFY(titles.contains(QVariantList{u"Test Tone"_qs}));
    QTRY_VERIFY_WITH_TIMEOUT(find<QPushButton>("cmdPresets")->isEnabled(), 5000);
    QVERIFY(find<QLabel>("lblInfo0")->font().underline());
    QTest::mouseClick(find<QLabel>("lblInfo0"), Qt::LeftButton);
    QCOMPARE(shell_.opened, QStringList{u"http://tone.test/"_qs});
    find<QPushButton>("cmdNext")->click();
    QCOMPARE(panel(1), u"Next Station.."_qs);
    QTRY_VERIFY_WITH_TIMEOUT(window_.isNull(), 20000);
    QCOMPARE(prompter_.texts(), QStringList{u"No more stations available for scan."_qs});
    QCOMPARE(closed.size(), 1);
  }

  void closingAtEveryStage_data()
  {
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QString>("stage");
    QTest::newRow("request") << QString() << QString();
    QTest::newRow("connecting") << media_.url("/silent.wav") << u"Connecting"_qs;
    QTest::newRow("playing") << media_.url("/live.wav") << u"No audio output"_qs;
  }

  void closingAtEveryStage()
  {
    QFETCH(QString, stream);
    QFETCH(QString, stage);
    server_.setScript(stream.isEmpty() ? Server::Script{Server::hold()}
                                       : Server::page(200, "OK", station("Stage Radio", stream)));
    const qsizetype before = server_.requests().size();
    auto *scanner = open(u"127.0.0.1:%1"_qs.arg(server_.port()), &mpv_);
    QSignalSpy closed(scanner, &ScanWindow::closed);
    find<QPushButton>("cmdStart")->click();
    QTRY_COMPARE(server_.requests().size(), before + 1);
    if (!stage.isEmpty()) QTRY_COMPARE_WITH_TIMEOUT(panel(1), stage, 15000);
    scanner->close();
    QCOMPARE(closed.size(), 1);
    QTRY_VERIFY(window_.isNull());
    server_.release();
    QTest::qWait(300);
    QCOMPARE(server_.requests().size(), before + 1);
    QVERIFY(prompter_.prompts.isEmpty());
  }

  void addPresetKeepsTheStationThroughAFailingScan()
  {
    playFake(station("Preset Radio", u"http://s.test/a.mp3"_qs));
    auto *presets = find<QPushButton>("cmdPresets");
    QVERIFY(presets->isEnabled());
    presets->click();
    QVERIFY(window_->isDialogOpen());
    auto *dialog = window_->findChild<QDialog *>(u"frmScanPreset"_qs);
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), u"Assign Preset"_qs);
    auto *choices = dialog->findChild<QComboBox *>(u"comboP"_qs);
    QCOMPARE(choices->count(), 10);
    QCOMPARE(choices->currentText(), u"1 ] Unassigned"_qs);
    QSignalSpy assigned(window_.data(), &ScanWindow::presetAssigned);
    // A preset that could not be stored is not announced, and stays free.
    presetsWritable_ = false;
    dialog->findChild<QPushButton *>(u"cmdSet"_qs)->click();
    presetsWritable_ = true;
    QCOMPARE(assigned.size(), 0);
    QCOMPARE(choices->itemText(0), u"1 ] Unassigned"_qs);
    dialog->findChild<QPushButton *>(u"cmdSet"_qs)->click();
    QCOMPARE(settings_.preset(0), u"Preset Radio"_qs + presetSeparator + u"http://s.test/a.mp3"_qs);
    QCOMPARE(assigned.size(), 1);
    QCOMPARE(choices->itemText(0), u"1 ] Preset Radio"_qs);
    QCOMPARE(choices->currentIndex(), 1);

    // The scan fails while the dialog is open: the dialog closes with the window.
    QPointer<QDialog> guard(dialog);
    server_.setScript(Server::page(500, "Error", "<html>down</html>"));
    window_->session().next();
    QTRY_VERIFY(window_.isNull());
    QVERIFY(guard.isNull());
    settings_.setPreset(0, presetDefault());
  }

  void stationLinksOnlyForWebAddresses()
  {
    playFake(station("<b>Odd</b>", u"http://s.test/a.mp3"_qs, "file:///x.desktop#http://"));
    auto *name = find<QLabel>("lblInfo0");
    QCOMPARE(name->text(), u"<b>Odd</b>"_qs);
    QVERIFY(!name->font().underline());
    QTest::mouseClick(name, Qt::LeftButton);
    QVERIFY(shell_.opened.isEmpty());
  }

  void bookmarkAndRecord()
  {
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8());
    open(u"127.0.0.1:1"_qs);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    // Nothing plays yet: nothing to record.
    QTest::keyClick(window_, Qt::Key_F5);
    QCOMPARE(prompter_.texts(), QStringList{u"No item selected."_qs});

    window_->playPlaylist(
        {ListEntry{u"One"_qs, u"http://c.test/1.mp3"_qs}, ListEntry{u"Two"_qs, u"http://c.test/2.mp3"_qs}});
    QCOMPARE(window_->windowTitle(), u"Tessivar! Broadcast - Playlist"_qs);
    QVERIFY(find<QWidget>("framePL")->isVisible());
    window_->session().playedList().selectAll();
    QSignalSpy bookmarks(window_.data(), &ScanWindow::bookmarksRequested);
    find<QPushButton>("cmdBookmar")->click();
    QCOMPARE(bookmarks.size(), 1);
    QCOMPARE(bookmarks.first().first().value<QList<ListEntry>>().size(), 2);

    // No recorder installed: frmTotal, modal, with its link.
    find<QPushButton>("cmdRec")->click();
    auto *prompt = window_->findChild<QDialog *>(u"frmTotal"_qs);
    QVERIFY(prompt && prompt->isVisible() && prompt->isModal());
    QVERIFY(window_->isDialogOpen());
    prompt->findChild<QPushButton *>(u"Command1"_qs)->click();
    QCOMPARE(shell_.opened, QStringList{siteLink(settings_, SiteLink::RecorderPage)});
    prompt->findChild<QPushButton *>(u"cmdNO"_qs)->click();
    QTRY_VERIFY(!window_->isDialogOpen());

    // A recorder on PATH gets the stream and a folder under the music folder.
    QFile recorder(bin.filePath(u"streamripper"_qs));
    QVERIFY(recorder.open(QIODevice::WriteOnly));
    recorder.write("#!/bin/sh\n");
    recorder.close();
    recorder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    QTest::keyClick(window_, Qt::Key_F5);
    qputenv("PATH", path);
    QCOMPARE(seams_.processes.started.size(), 1);
    QCOMPARE(seams_.processes.started.first().program, recorder.fileName());
    const QStringList arguments = seams_.processes.started.first().arguments;
    QCOMPARE(arguments.mid(0, 2), (QStringList{u"http://c.test/1.mp3"_qs, u"-d"_qs}));
    QVERIFY(arguments.value(2).endsWith(u"/Tessivar! Broadcast"_qs));
  }
};

TESSIVAR_TEST_MAIN(TestScanWindow)
#include "test_scan_window.moc"
