#include "app/command_line.h"

#include "base/settings_store.h"
#include "support/test_environment.h"

#include <QTemporaryDir>

using namespace tessivar;

class TestCommandLine final : public QObject
{
  Q_OBJECT

 private slots:
  // The server given on the command line is the one the run reads, and what the run writes under
  // its keys (discovery storing the server it found) never reaches the user's settings.
  void directoryIsUsedForTheRunOnly()
  {
    QTemporaryDir folder;
    const QString file = folder.filePath(u"settings.ini"_qs);
    {
      SettingsStore store(file);
      store.setText(SettingKey::LastQueryServer, u"stored.example"_qs);
      QString error;
      const auto choices =
          readRunChoices({u"-platform"_qs, u"offscreen"_qs, u"--directory"_qs, u"127.0.0.1:8437"_qs}, &error);
      QVERIFY2(choices, qPrintable(error));
      applyRunChoices(*choices, store);
      QCOMPARE(store.text(SettingKey::LastQueryServer), u"127.0.0.1:8437"_qs);
      QCOMPARE(store.siteHost(), u"127.0.0.1:8437"_qs);
      store.setText(SettingKey::LastQueryServer, u"127.0.0.1"_qs);
      store.remove(SettingKey::SiteHost);
    }
    SettingsStore again(file);
    QCOMPARE(again.text(SettingKey::LastQueryServer), u"stored.example"_qs);
    QVERIFY(!again.contains(SettingKey::SiteHost));
  }

  void unusableValuesAreRefused_data()
  {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no value") << QStringList{u"--directory"_qs};
    QTest::newRow("an address, not a host") << QStringList{u"--site=http://x.example/"_qs};
    QTest::newRow("shell text") << QStringList{u"--directory"_qs, u"x;rm -rf ~"_qs};
  }
  void unusableValuesAreRefused()
  {
    QFETCH(QStringList, arguments);
    QString error;
    QVERIFY(!readRunChoices(arguments, &error));
    QVERIFY(!error.isEmpty());
  }
};

TESSIVAR_TEST_MAIN(TestCommandLine)
#include "test_command_line.moc"
