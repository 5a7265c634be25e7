#include "app/ui/startup.h"

#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "base/settings_store.h"
#include "dialogs/ui/splash_window.h"
#include "platform/app_services.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace tessivar;

// A screen of 120 dots per inch: the start-up warns, then goes on.
class TestStartupDisplay final : public QObject
{
  Q_OBJECT

 private slots:
  void largeFontsAreWarnedAboutAndStartUpGoesOn()
  {
    QVERIFY(!isSmallFonts());
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    // Nothing listens on port 1 and the user gives up: the start ends after the warning.
    store.setText(SettingKey::LastQueryServer, QStringLiteral("127.0.0.1:1"));
    store.setText(SettingKey::SiteHost, QStringLiteral("127.0.0.1:1"));
    test::FakePrompter prompter;
    prompter.answers = {PromptAnswer::Ok, PromptAnswer::Ok, PromptAnswer::Cancel, PromptAnswer::No,
                        PromptAnswer::Ok};
    test::FakeShellOpener shell;
    ProgramParts parts(test::testServices(store, prompter, shell));

    bool done = false;
    QCoro::connect(runStartup(parts), this, [&](bool) { done = true; });
    QCOMPARE(prompter.prompts.size(), 1);
    QCOMPARE(prompter.prompts[0].text,
             u"Warning, this application may not visually function correctly with Large or "
             u"non-small fonts selected in Windows"_qs);
    QCOMPARE(prompter.prompts[0].icon, PromptIcon::Critical);
    QCOMPARE(prompter.prompts[0].buttons, PromptButtons::Ok);
    SplashWindow *splash = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
      if (auto *found = qobject_cast<SplashWindow *>(widget)) splash = found;
    }
    QVERIFY(splash != nullptr);
    QVERIFY(splash->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(done, 15000);  // the splash's own one-second timer starts the checks
    QCOMPARE(prompter.prompts.size(), 5);
  }
};

int main(int argc, char *argv[])
{
  tessivar::test::useTemporaryUserFolders();
  // An offscreen screen that reports 120 dots per inch.
  QTemporaryDir config;
  QFile screens(config.filePath(QStringLiteral("screens.json")));
  if (!screens.open(QIODevice::WriteOnly)) return 1;
  screens.write(R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 1280, "height": 1024,
                                  "logicalDpi": 120, "logicalBaseDpi": 96, "dpr": 1}]})");
  screens.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
  QApplication app(argc, argv);
  TestStartupDisplay test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "test_startup_display.moc"
