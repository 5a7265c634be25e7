// Start-up against the real tessivar-directory from an empty store (discovery and version check
// through an HTTP proxy), an out-of-date version, and the keys the exit writes and the next start
// restores.
#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "app/ui/startup.h"
#include "app/ui/twips_geometry.h"
#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "platform/app_services.h"
#include "platform/proxy_setting.h"
#include "platform/ui/screen_dpi.h"
#include "results/ui/results_grid.h"
#include "search/search_run.h"
#include "startup_driver.h"
#include "support/directory_fixture.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using namespace tessivar;
using tessivar::test::DirectoryFixture;
using tessivar::test::DirectoryRelay;
using tessivar::test::FakePrompter;
using tessivar::test::FakeShellOpener;

class TestEndToEndLifecycle final : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;
  DirectoryFixture outdatedDirectory_;  // answers "Version NO" to 3.7
  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<SettingsStore> store_;
  FakePrompter prompter_;
  FakeShellOpener shell_;

  QString settingsFile() const { return folder_->filePath(u"settings.ini"_qs); }

  bool start(ProgramParts &parts) { return test::runStartupNow(parts, this, 30000); }

  // The messages shown, without the display check's warning (it depends on the screen).
  QStringList shown() const
  {
    QStringList texts = prompter_.texts();
    texts.removeAll(smallFontsWarning());
    return texts;
  }

  static bool search(ProgramParts &parts, const QString &text)
  {
    QSignalSpy finished(&parts.searchRun(), &SearchRun::searchFinished);
    QLineEdit *edit = parts.window().controls().searchBox->lineEdit();
    edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    return finished.wait(30000);
  }

  static bool near(const QString &stored, double expected)
  {
    return qAbs(stored.toDouble() - expected) < 0.01;
  }

 private slots:
  void initTestCase()
  {
    QVERIFY(directory_.importSampleCatalogue());
    QVERIFY(directory_.start({u"--quiet"_qs}));
    QVERIFY(outdatedDirectory_.importSampleCatalogue());
    QVERIFY(outdatedDirectory_.start({u"--quiet"_qs, u"--min-version"_qs, u"9"_qs}));
  }

  void init()
  {
    folder_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<SettingsStore>(settingsFile());
    prompter_ = FakePrompter();
  }

  void cleanup()
  {
    // The proxy a start-up read stays with the shared transfers otherwise.
    test::sharedSeams().transfers.useProxy(ProxySetting{});
    store_.reset();
    folder_.reset();
  }

  void discoveryAndVersionCheckFromAnEmptyStore()
  {
    // The redirect page names the directory with its port, which the client cuts off: the data
    // server is reached on the bare host, here through a proxy that hands every request to the
    // directory.
    DirectoryRelay proxy(directory_.port());
    QVERIFY(proxy.listen());
    const QString siteHost = u"127.0.0.1:%1"_qs.arg(directory_.port());
    store_->setText(SettingKey::SiteHost, siteHost);
    store_->setText(SettingKey::ProxyHost, u"127.0.0.1"_qs);
    store_->setText(SettingKey::ProxyPort, QString::number(proxy.port()));
    QVERIFY(!store_->contains(SettingKey::LastQueryServer));

    const AppServices services = test::testServices(*store_, prompter_, shell_);
    ProgramParts parts(services);
    MainWindow &window = parts.window();
    QVERIFY(start(parts));
    QCOMPARE(store_->text(SettingKey::LastQueryServer), u"127.0.0.1"_qs);
    QCOMPARE(parts.dataServer(), u"127.0.0.1"_qs);
    QVERIFY(window.hasStarted());
    QCOMPARE(shown(), QStringList());
    QCOMPARE(proxy.requestLines(),
             (QList<QByteArray>{"GET http://" + siteHost.toLatin1() + "/redirect35.asp HTTP/1.1",
                                "GET http://127.0.0.1/reg.asp?VER=1&P=T&V=3.7 HTTP/1.1"}));

    // The window starts and searches the data server through the same proxy.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(search(parts, u"ska"_qs));
    QCOMPARE(shown(), QStringList());
    QVERIFY(window.controls().results->dataRowCount() > 0);
    QCOMPARE(proxy.requestLines().size(), 3);
    QVERIFY(proxy.requestLines().at(2).startsWith("GET http://127.0.0.1/tessivar37.asp?V=3.7&P=T&T1=ska&"));
  }

  void anOutdatedVersionEndsTheStartAndWritesNothing()
  {
    DirectoryRelay proxy(outdatedDirectory_.port());
    QVERIFY(proxy.listen());
    const QString siteHost = u"127.0.0.1:%1"_qs.arg(outdatedDirectory_.port());
    store_->setText(SettingKey::SiteHost, siteHost);
    store_->setText(SettingKey::ProxyHost, u"127.0.0.1"_qs);
    store_->setText(SettingKey::ProxyPort, QString::number(proxy.port()));
    store_->setText(SettingKey::LastSearch, u"kept"_qs);

    const AppServices services = test::testServices(*store_, prompter_, shell_);
    {
      ProgramParts parts(services);
      MainWindow &window = parts.window();
      QVERIFY(!start(parts));
      QVERIFY(!window.hasStarted());
      QVERIFY(!window.isVisible());
      window.close();
    }
    QCOMPARE(shown(), (QStringList{u"This version is out of date and may not function correctly."_qs,
                                   u"Please visit http://"_qs + siteHost + u" for the newest version."_qs}));
    QCOMPARE(prompter_.prompts.constLast().icon, PromptIcon::Information);
    // The host found stays for the next start; nothing of the window is written.
    QCOMPARE(store_->text(SettingKey::LastQueryServer), u"127.0.0.1"_qs);
    QCOMPARE(store_->text(SettingKey::LastSearch), u"kept"_qs);
    for (SettingKey key :
         {SettingKey::Top, SettingKey::Left, SettingKey::Width, SettingKey::Height, SettingKey::OptLive})
      QVERIFY2(!store_->contains(key), qPrintable(settingName(key)));
  }

  void exitWritesEveryKeyAndTheNextStartRestoresThem()
  {
    store_->setText(SettingKey::LastQueryServer, u"127.0.0.1:%1"_qs.arg(directory_.port()));
    const AppServices services = test::testServices(*store_, prompter_, shell_);
    TwipsRect placed;
    {
      ProgramParts parts(services);
      MainWindow &window = parts.window();
      QVERIFY(start(parts));
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      window.findChild<QRadioButton *>(u"optArch"_qs)->click();
      QVERIFY(search(parts, u"kettle jazz"_qs));
      // Both clips live on a host that does not resolve: pre-verification keeps the last row.
      QCOMPARE(window.controls().results->dataRowCount(), 1);
      setGeometryTwips(window, {1500, 1200, 11000, 7500});
      placed = geometryTwips(window);

      const QList<SettingKey> exitKeys{SettingKey::Top,       SettingKey::Left,      SettingKey::Width,
                                       SettingKey::Height,    SettingKey::ProxyHost, SettingKey::ProxyPort,
                                       SettingKey::OptLive,   SettingKey::OptArch,   SettingKey::OptLib,
                                       SettingKey::LastSearch};
      for (SettingKey key : exitKeys) QVERIFY2(!store_->contains(key), qPrintable(settingName(key)));
      window.findChild<QAction *>(u"menuExit"_qs)->trigger();
      QVERIFY(!window.isVisible());
    }

    // The file holds every key of the exit, under the names and in the forms the program reads.
    QSettings file(settingsFile(), QSettings::IniFormat);
    file.beginGroup(u"Settings"_qs);
    QVERIFY(near(file.value(u"Top"_qs).toString(), placed.top));
    QVERIFY(near(file.value(u"Left"_qs).toString(), placed.left));
    QVERIFY(near(file.value(u"Width"_qs).toString(), placed.width));
    QVERIFY(near(file.value(u"Height"_qs).toString(), placed.height));
    QCOMPARE(file.value(u"ProxyHost"_qs, u"absent"_qs).toString(), QString());
    QCOMPARE(file.value(u"ProxyPort"_qs).toString(), u"1080"_qs);
    QCOMPARE(file.value(u"optLive"_qs).toString(), u"False"_qs);
    QCOMPARE(file.value(u"optArch"_qs).toString(), u"True"_qs);
    QCOMPARE(file.value(u"optLib"_qs).toString(), u"False"_qs);
    QCOMPARE(file.value(u"LastSearch"_qs).toString(), u"kettle+jazz"_qs);

    // The next start comes back in the same mode, with the same search text and place.
    ProgramParts againParts(services);
    MainWindow &again = againParts.window();
    QVERIFY(start(againParts));
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.searchMode(), SearchMode::Archive);
    QVERIFY(again.findChild<QRadioButton *>(u"optArch"_qs)->isChecked());
    QCOMPARE(again.searchText(), u"kettle+jazz"_qs);
    QCOMPARE(again.controls().results->model()->headerData(1, Qt::Horizontal).toString(), u"Len"_qs);
    const TwipsRect restored = geometryTwips(again);
    const double pixel = 1440.0 / screenDpi(&again);
    QVERIFY2(
        qAbs(restored.top - placed.top) <= pixel && qAbs(restored.left - placed.left) <= pixel &&
            qAbs(restored.width - placed.width) <= pixel && qAbs(restored.height - placed.height) <= pixel,
        qPrintable(
            u"%1 %2 %3 %4"_qs.arg(restored.top).arg(restored.left).arg(restored.width).arg(restored.height)));
    QCOMPARE(shown(), QStringList());
  }
};

TESSIVAR_TEST_MAIN(TestEndToEndLifecycle)
#include "test_end_to_end_lifecycle.moc"
