#include "base/product.h"
#include "base/setting_conversions.h"
#include "base/settings_store.h"
#include "support/test_environment.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

using namespace tessivar;

class SettingsStoreTest final : public QObject
{
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  int fileNumber_ = 0;
  QString freshFile() { return dir_.filePath(QStringLiteral("store%1.conf").arg(++fileNumber_)); }

 private slots:
  void firstRunReadsEveryDefault()
  {
    SettingsStore store(freshFile());
    QCOMPARE(store.truth(SettingKey::OptLive), std::optional<bool>(true));
    QCOMPARE(store.truth(SettingKey::OptArch), std::optional<bool>(false));
    QCOMPARE(store.truth(SettingKey::OptLib), std::optional<bool>(false));
    QCOMPARE(store.text(SettingKey::LastSearch), QString());
    QCOMPARE(store.text(SettingKey::ConSpeed), QStringLiteral("All Connections"));
    QCOMPARE(store.text(SettingKey::ProxyHost), QString());
    QCOMPARE(store.wholeNumber(SettingKey::ProxyPort), std::optional<qint32>(1080));
    QCOMPARE(store.wholeNumber(SettingKey::EMR), std::optional<qint32>(0));
    QCOMPARE(store.text(SettingKey::QHShow), QString());
    QCOMPARE(store.ticked(SettingKey::Tray), std::optional<bool>(false));
    QCOMPARE(store.ticked(SettingKey::ChkBrow), std::optional<bool>(false));
    for (auto key :
         {SettingKey::ChkRA, SettingKey::ChkNA, SettingKey::ChkMA, SettingKey::ChkRV, SettingKey::ChkNV,
          SettingKey::ChkMPEG, SettingKey::ChkAV, SettingKey::ChkWA, SettingKey::ChkXDM}) {
      QVERIFY2(store.ticked(key).value(), qPrintable(settingName(key)));
    }
    for (auto key : {SettingKey::ChkAVF, SettingKey::ChkWAVF, SettingKey::ChkMAF, SettingKey::ChkNF}) {
      QVERIFY2(!store.ticked(key).value(), qPrintable(settingName(key)));
    }
    QCOMPARE(store.twips(SettingKey::Width), std::optional<float>(1000.0F));
    QCOMPARE(store.twips(SettingKey::WWidth), std::optional<float>(3885.0F));
    QCOMPARE(store.twips(SettingKey::WHeight), std::optional<float>(3000.0F));
    QCOMPARE(store.twips(SettingKey::Top, 4321.5F), std::optional<float>(4321.5F));
    QCOMPARE(store.text(SettingKey::LastScan), QStringLiteral("0@*All Stations"));
    QCOMPARE(store.siteHost(), product::defaultSiteHost());
    for (int slot = 0; slot < presetSlotCount; ++slot) {
      QCOMPARE(store.preset(slot),
               QStringLiteral("Drag and Drop station listing here while holding Shift Key") + QChar(0x00FF) +
                   QStringLiteral("NONE"));
    }
  }

  void optionKeysWriteWordsAndReadNumbersToo()
  {
    const QString file = freshFile();
    {
      SettingsStore store(file);
      store.setTruth(SettingKey::OptLive, false);
      store.setTruth(SettingKey::OptArch, true);
    }
    QSettings raw(file, QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Settings/optLive")).toString(), QStringLiteral("False"));
    QCOMPARE(raw.value(QStringLiteral("Settings/optArch")).toString(), QStringLiteral("True"));

    raw.setValue(QStringLiteral("Settings/optLive"), QStringLiteral("1"));
    raw.setValue(QStringLiteral("Settings/optArch"), QStringLiteral("0"));
    raw.setValue(QStringLiteral("Settings/optLib"), QStringLiteral("maybe"));
    raw.sync();
    SettingsStore store(file);
    QCOMPARE(store.truth(SettingKey::OptLive), std::optional<bool>(true));
    QCOMPARE(store.truth(SettingKey::OptArch), std::optional<bool>(false));
    QCOMPARE(store.truth(SettingKey::OptLib), std::nullopt);
  }

  void unconvertibleTextGivesNoValue()
  {
    SettingsStore store(freshFile());
    store.setText(SettingKey::ProxyPort, QString());
    QCOMPARE(store.wholeNumber(SettingKey::ProxyPort), std::nullopt);
    store.setText(SettingKey::Width, QStringLiteral("wide"));
    QCOMPARE(store.twips(SettingKey::Width), std::nullopt);
    store.setText(SettingKey::Top, QStringLiteral("x"));
    QCOMPARE(store.twips(SettingKey::Top, 100.0F), std::nullopt);
    store.setText(SettingKey::ChkRA, QStringLiteral("yes"));
    QCOMPARE(store.ticked(SettingKey::ChkRA), std::nullopt);
    store.setText(SettingKey::ChkNA, QStringLiteral("2"));
    QCOMPARE(store.ticked(SettingKey::ChkNA), std::optional<bool>(false));
    store.setText(SettingKey::EMR, QStringLiteral("99999999999"));
    QCOMPARE(store.wholeNumber(SettingKey::EMR), std::nullopt);
  }

  // A value edited by hand in the file may hold commas; it reads back as its text (the file format
  // drops blanks beside an unquoted comma).
  void handEditedTextWithCommasReadsAsWritten()
  {
    const QString file = freshFile();
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::WriteOnly));
    raw.write("[Settings]\nLastSearch=rock, pop,jazz\nConSpeed=\"a,b\"\n");
    raw.close();
    const SettingsStore store(file);
    QCOMPARE(store.text(SettingKey::LastSearch), QStringLiteral("rock,pop,jazz"));
    QCOMPARE(store.text(SettingKey::ConSpeed), QStringLiteral("a,b"));
  }

  // A stray quote, typed by hand or left by a damaged disk, would run on over every line below it.
  void aStrayQuoteCostsNoOtherSetting()
  {
    const QString file = freshFile();
    {
      SettingsStore store(file);
      store.setText(SettingKey::MinBPS, QStringLiteral("64"));
    }
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadWrite));
    const QByteArray damaged =
        raw.readAll().replace("[Settings]\n", "[Settings]\nLastSearch=\"unterminated\n");
    raw.seek(0);
    raw.write(damaged);
    raw.close();

    QFile kept(SettingsStore(file).repairAtOpen().keptCopy);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), damaged);
    const SettingsStore reopened(file);  // repaired once, read whole from then on
    QVERIFY(!reopened.repairAtOpen().done);
    QCOMPARE(reopened.text(SettingKey::MinBPS), QStringLiteral("64"));
    QCOMPARE(reopened.text(SettingKey::LastSearch), QStringLiteral("unterminated"));
  }

  void explicitDefaultBehavesLikeAbsentKey()
  {
    SettingsStore store(freshFile());
    store.setText(SettingKey::ConSpeed, QStringLiteral("All Connections"));
    store.setText(SettingKey::ProxyPort, QStringLiteral("1080"));
    QCOMPARE(store.text(SettingKey::ConSpeed), settingDefault(SettingKey::ConSpeed));
    QCOMPARE(store.wholeNumber(SettingKey::ProxyPort), std::optional<qint32>(1080));
  }

  void geometryAndPresetsRoundTrip()
  {
    const QString file = freshFile();
    const QString preset = QStringLiteral("Jazz & Blues [FM] \u65e5\u672c") + presetSeparator +
                           QStringLiteral("http://example.org/a b.pls");
    {
      SettingsStore store(file);
      store.setTwips(SettingKey::Top, -200.0F);
      store.setTwips(SettingKey::Width, 9532.5F);
      store.setPreset(3, preset);
      store.setText(SettingKey::SiteHost, QStringLiteral("  127.0.0.1:9999 "));
    }
    SettingsStore store(file);
    QCOMPARE(store.text(SettingKey::Width), QStringLiteral("9532.5"));
    QCOMPARE(store.twips(SettingKey::Width), std::optional<float>(9532.5F));
    QCOMPARE(store.twips(SettingKey::Top, 0.0F), std::optional<float>(-200.0F));
    QCOMPARE(store.preset(3), preset);
    QCOMPARE(store.siteHost(), QStringLiteral("127.0.0.1:9999"));
  }

  void userStoreLivesInTheConfigFolder()
  {
    SettingsStore store;
    QVERIFY2(store.fileName().endsWith(QStringLiteral("/Tessivar/Tessivar! Broadcast.conf")),
             qPrintable(store.fileName()));
    QVERIFY(store.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
  }
};

TESSIVAR_TEST_MAIN(SettingsStoreTest)
#include "test_settings_store.moc"
