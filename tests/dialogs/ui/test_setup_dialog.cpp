#include "dialogs/ui/setup_dialog.h"

#include "base/program_options.h"
#include "base/settings_store.h"
#include "dialogs/setup_format_checks.h"
#include "platform/app_services.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>

using namespace tessivar;
using tessivar::test::FakePrompter;
using tessivar::test::FakeShellOpener;

class TestSetupDialog final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<SettingsStore> store_;
  FakePrompter prompter_;
  FakeShellOpener shell_;
  std::unique_ptr<AppServices> services_;
  std::unique_ptr<ProgramOptions> state_;

  std::unique_ptr<SetupDialog> open(SearchMode mode = SearchMode::Live)
  {
    auto dialog = std::make_unique<SetupDialog>(*state_, *services_, mode);
    dialog->show();
    return dialog;
  }

  template <typename T>
  static T *child(QObject *parent, const char *name)
  {
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
  }

 private slots:
  void init()
  {
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("settings.ini")));
    store_->setText(SettingKey::SiteHost, QStringLiteral("site.test"));
    prompter_ = FakePrompter();
    shell_ = FakeShellOpener();
    services_ = std::make_unique<AppServices>(test::testServices(*store_, prompter_, shell_));
    state_ = std::make_unique<ProgramOptions>(*store_);
  }

  void firstLoadShowsTheDefaults()
  {
    const auto dialog = open();
    QCOMPARE(dialog->objectName(), u"frmSetup"_qs);
    QCOMPARE(dialog->windowTitle(), u"Tessivar! Broadcast - Setup"_qs);
    int ticked = 0;
    for (const SetupFormatCheck &box : setupFormatChecks()) {
      auto *check = child<QCheckBox>(dialog.get(), box.objectName);
      if (check->isChecked()) ++ticked;
      QCOMPARE(check->isChecked(), !QByteArray(box.objectName).endsWith('F'));
    }
    QCOMPARE(ticked, 9);

    auto *speed = child<QComboBox>(dialog.get(), "comboB");
    QCOMPARE(speed->currentText(), u"All Connections"_qs);
    QCOMPARE(speed->count(), 7);
    QCOMPARE(speed->itemText(0), u"Phone Modem 28.8"_qs);
    QCOMPARE(child<QLineEdit>(dialog.get(), "txtPort")->text(), u"1080"_qs);
    QVERIFY(child<QLineEdit>(dialog.get(), "txtHost")->text().isEmpty());
    QVERIFY(child<QLineEdit>(dialog.get(), "txtB")->text().isEmpty());
    QVERIFY(!child<QCheckBox>(dialog.get(), "chkTray")->isChecked());
    QVERIFY(!child<QCheckBox>(dialog.get(), "chkBrow")->isChecked());
    QVERIFY(child<QFrame>(dialog.get(), "FrameL")->isHidden());
    QCOMPARE(state_->connectionSpeed, u"All Connections"_qs);
  }

  void boxesWithoutACaptionOfTheirOwnAreNamedForScreenReaders()
  {
    const auto dialog = open();
    for (const char *name : {"txtB", "txtT", "txtHost", "txtPort", "txtCMD"}) {
      QAccessibleInterface *box = QAccessible::queryAccessibleInterface(child<QWidget>(dialog.get(), name));
      QVERIFY(box != nullptr);
      QVERIFY2(!box->text(QAccessible::Name).isEmpty(), name);
    }
  }

  void archiveOnlyBoxesFollowTheModeAtLoad_data()
  {
    QTest::addColumn<SearchMode>("mode");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("live") << SearchMode::Live << false;
    QTest::newRow("archive") << SearchMode::Archive << true;
    QTest::newRow("browse") << SearchMode::Library << false;
  }

  void archiveOnlyBoxesFollowTheModeAtLoad()
  {
    QFETCH(SearchMode, mode);
    QFETCH(bool, enabled);
    const auto dialog = open(mode);
    for (const SetupFormatCheck &box : setupFormatChecks()) {
      QCOMPARE(child<QCheckBox>(dialog.get(), box.objectName)->isEnabled(), enabled || !box.archiveOnly);
    }
    QCOMPARE(child<QLineEdit>(dialog.get(), "txtT")->isEnabled(), enabled);
    QCOMPARE(child<QLabel>(dialog.get(), "Label16")->isEnabled(), enabled);
    QVERIFY(child<QLineEdit>(dialog.get(), "txtB")->isEnabled());
  }

  void winampTabCannotBeSelected()
  {
    const auto dialog = open();
    auto *tabs = child<QTabWidget>(dialog.get(), "SSTab1");
    QVERIFY(!tabs->isTabEnabled(int(SetupDialog::Page::Winamp)));
    dialog->selectPage(SetupDialog::Page::Winamp);
    QCOMPARE(tabs->currentIndex(), int(SetupDialog::Page::Formats));
  }

  void bitRateBoxRules()
  {
    const auto dialog = open();
    auto *rate = child<QLineEdit>(dialog.get(), "txtB");
    rate->setText(u"0"_qs);
    QVERIFY(rate->text().isEmpty());
    QCOMPARE(state_->minBitRate, 0);
    rate->setText(u"05"_qs);
    QCOMPARE(rate->text(), u"05"_qs);
    QCOMPARE(state_->minBitRate, 5);
    rate->setText(u"fast"_qs);  // as if pasted
    QVERIFY(rate->text().isEmpty());
    QCOMPARE(state_->minBitRate, 0);

    rate->setFocus();
    QTest::keyClicks(rate, u"1a2-x3"_qs);
    QCOMPARE(rate->text(), u"123"_qs);
    QTest::keyClick(rate, Qt::Key_Backspace);
    QCOMPARE(rate->text(), u"12"_qs);
    QCOMPARE(state_->minBitRate, 12);
  }

  void lengthBoxRules()
  {
    const auto dialog = open(SearchMode::Archive);
    auto *length = child<QLineEdit>(dialog.get(), "txtT");
    QTest::keyClicks(length, u"1x5"_qs);
    QCOMPARE(length->text(), u"15"_qs);
    QCOMPARE(state_->minLength, 15);
    length->clear();
    QCOMPARE(state_->minLength, 0);

    auto *port = child<QLineEdit>(dialog.get(), "txtPort");
    port->clear();
    QTest::keyClicks(port, u"80:80"_qs);
    QCOMPARE(port->text(), u"8080"_qs);
  }

  // No Cancel, so no key throws the edits away; Enter in a number box does not press OK either.
  void escapeAndEnterKeepTheDialogOpen()
  {
    const auto dialog = open(SearchMode::Archive);
    dialog->show();
    child<QCheckBox>(dialog.get(), "chkMA")->click();
    QTest::keyClick(child<QLineEdit>(dialog.get(), "txtB"), Qt::Key_Return);
    QTest::keyClick(child<QLineEdit>(dialog.get(), "txtPort"), Qt::Key_Enter);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QVERIFY(dialog->isVisible());
    QCOMPARE(state_->formats.chkMA, 0);
    QVERIFY(!store_->contains(SettingKey::ChkMA));
  }

  void connectionListTakesPicksOnly()
  {
    const auto dialog = open();
    dialog->selectPage(SetupDialog::Page::Options);
    auto *speed = child<QComboBox>(dialog.get(), "comboB");
    QTest::keyClicks(speed, u"ISDN"_qs);
    QCOMPARE(speed->currentText(), u"All Connections"_qs);
    QCOMPARE(state_->connectionSpeed, u"All Connections"_qs);
    emit speed->activated(3);
    QCOMPARE(state_->connectionSpeed, u"ISDN 64k"_qs);
    QCOMPARE(store_->text(SettingKey::ConSpeed), u"All Connections"_qs);  // stored only by OK
  }

  void optionsAreStoredAtOnce()
  {
    const auto dialog = open();
    dialog->selectPage(SetupDialog::Page::Options);
    child<QCheckBox>(dialog.get(), "chkTray")->click();
    QCOMPARE(store_->text(SettingKey::Tray), u"1"_qs);
    child<QCheckBox>(dialog.get(), "chkBrow")->click();
    QCOMPARE(store_->text(SettingKey::ChkBrow), u"1"_qs);
    QVERIFY(state_->chkBrow);
    child<QCheckBox>(dialog.get(), "chkBrow")->click();
    QCOMPARE(store_->text(SettingKey::ChkBrow), u"0"_qs);

    // The built-in player's box is on every player page, stored as a truth.
    dialog->selectPage(SetupDialog::Page::StreamWorks);
    child<QCheckBox>(dialog.get(), "chkBuiltIn")->click();
    QCOMPARE(store_->text(SettingKey::BuiltInPlayer), u"True"_qs);
    QVERIFY(state_->builtInPlayer);
  }

  void playerTabsEditTheirOwnPath()
  {
    state_->setPlayerPath(SetupPlayer::Real, u"/usr/bin/realplay"_qs);
    const auto dialog = open();
    QString offeredFilter;
    dialog->chooseFile = [&](const QString &, const QString &, const QString &filter) {
      offeredFilter = filter;
      return u"/opt/wmp/wmplayer"_qs;
    };
    auto *frame = child<QFrame>(dialog.get(), "FrameL");
    auto *path = child<QLineEdit>(dialog.get(), "txtCMD");

    dialog->selectPage(SetupDialog::Page::RealPlayer);
    QVERIFY(frame->isVisible());
    QCOMPARE(path->text(), u"/usr/bin/realplay"_qs);

    dialog->selectPage(SetupDialog::Page::MediaPlayer);
    QVERIFY(path->text().isEmpty());
    child<QPushButton>(dialog.get(), "cmdBrowse")->click();
    QCOMPARE(offeredFilter, u"Windows Media Player (*)"_qs);
    QCOMPARE(path->text(), u"/opt/wmp/wmplayer"_qs);
    QCOMPARE(state_->mediaPlayerCommand(), u"/opt/wmp/wmplayer"_qs);
    QCOMPARE(state_->realPlayerCommand(), u"/usr/bin/realplay"_qs);
    QVERIFY(state_->streamWorksCommand().isEmpty());

    dialog->chooseFile = [](const QString &, const QString &, const QString &) { return QString(); };
    child<QPushButton>(dialog.get(), "cmdBrowse")->click();
    QCOMPARE(state_->mediaPlayerCommand(), u"/opt/wmp/wmplayer"_qs);

    dialog->selectPage(SetupDialog::Page::StreamWorks);
    path->setText(u"/usr/local/bin/xing"_qs);
    QCOMPARE(state_->streamWorksCommand(), u"/usr/local/bin/xing"_qs);

    dialog->selectPage(SetupDialog::Page::Proxy);
    QVERIFY(frame->isHidden());
    QCOMPARE(state_->lastSetupTab, int(SetupDialog::Page::Proxy));

    // The next opening starts on the tab shown last.
    const auto again = open();
    QCOMPARE(child<QTabWidget>(again.get(), "SSTab1")->currentIndex(), int(SetupDialog::Page::Proxy));
  }

  void logosOpenThePlayersPages()
  {
    const auto dialog = open();
    dialog->selectPage(SetupDialog::Page::RealPlayer);
    QTest::mouseClick(child<QLabel>(dialog.get(), "pReal"), Qt::LeftButton);
    dialog->selectPage(SetupDialog::Page::MediaPlayer);
    QTest::mouseClick(child<QLabel>(dialog.get(), "pMicro"), Qt::LeftButton);
    dialog->selectPage(SetupDialog::Page::StreamWorks);
    QTest::mouseClick(child<QLabel>(dialog.get(), "pXing"), Qt::LeftButton);
    QCOMPARE(shell_.opened,
             (QStringList{u"http://site.test/real.htm"_qs, u"http://site.test/microsoft.htm"_qs,
                          u"http://site.test/streamworks_player31.exe"_qs}));
    QVERIFY(prompter_.prompts.isEmpty());

    shell_.succeed = false;
    QTest::mouseClick(child<QLabel>(dialog.get(), "pXing"), Qt::LeftButton);
    QCOMPARE(prompter_.texts(), QStringList{u"Error Executing Application or File Not Found"_qs});
    QCOMPARE(prompter_.prompts[0].icon, PromptIcon::None);
  }

  void okWithUnchangedProxyStoresQuietly()
  {
    const auto dialog = open();
    child<QCheckBox>(dialog.get(), "chkRA")->click();
    child<QLineEdit>(dialog.get(), "txtB")->setText(u"64"_qs);
    child<QPushButton>(dialog.get(), "cmdOK")->click();
    QVERIFY(prompter_.prompts.isEmpty());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(store_->text(SettingKey::ChkRA), u"0"_qs);
    QCOMPARE(store_->text(SettingKey::ChkNF), u"0"_qs);
    QCOMPARE(store_->text(SettingKey::ChkXDM), u"1"_qs);
    QCOMPARE(store_->text(SettingKey::MinBPS), u"64"_qs);
    QCOMPARE(store_->text(SettingKey::ConSpeed), u"All Connections"_qs);
    QVERIFY(!store_->contains(SettingKey::ProxyHost));
  }

  void okWithChangedPortAsksForARestart()
  {
    state_->loadProxy();
    const auto dialog = open();
    auto *port = child<QLineEdit>(dialog.get(), "txtPort");
    port->setText(u"8080"_qs);
    child<QPushButton>(dialog.get(), "cmdOK")->click();
    QCOMPARE(prompter_.texts(),
             QStringList{u"Please restart application after setting proxy information."_qs});
    QCOMPARE(prompter_.prompts[0].icon, PromptIcon::Information);
    QCOMPARE(store_->text(SettingKey::ProxyPort), u"8080"_qs);
    QCOMPARE(state_->proxyPort, 8080);
    QVERIFY(state_->proxyHost.isEmpty());
  }

  void closingWithoutOkDropsUnsavedChoices()
  {
    state_->setPlayerPath(SetupPlayer::Real, u"/usr/bin/realplay"_qs);
    const auto dialog = open();
    child<QCheckBox>(dialog.get(), "chkMA")->click();
    QCOMPARE(state_->formats.chkMA, 0);
    dialog->selectPage(SetupDialog::Page::RealPlayer);
    child<QLineEdit>(dialog.get(), "txtCMD")->setText(u"/opt/real/realplay"_qs);
    dialog->close();
    QCOMPARE(state_->formats.chkMA, 1);
    QVERIFY(!store_->contains(SettingKey::ChkMA));
    QCOMPARE(state_->realPlayerCommand(), u"/opt/real/realplay"_qs);  // paths stay in force
  }

  void storedChoicesAreShownAgain()
  {
    store_->setText(SettingKey::ChkRA, u"0"_qs);
    store_->setText(SettingKey::ChkNF, u"1"_qs);
    store_->setText(SettingKey::ChkMA, u"junk"_qs);
    store_->setText(SettingKey::ConSpeed, u"Cable/DSL"_qs);
    store_->setText(SettingKey::MinBPS, u"0"_qs);
    store_->setText(SettingKey::MinT, u"7"_qs);
    store_->setText(SettingKey::ChkBrow, u"1"_qs);
    store_->setText(SettingKey::BuiltInPlayer, u"True"_qs);
    const auto dialog = open(SearchMode::Archive);
    QVERIFY(child<QCheckBox>(dialog.get(), "chkBuiltIn")->isChecked());
    QVERIFY(!child<QCheckBox>(dialog.get(), "chkRA")->isChecked());
    QVERIFY(child<QCheckBox>(dialog.get(), "chkNF")->isChecked());
    QVERIFY(child<QCheckBox>(dialog.get(), "chkMA")->isChecked());  // unreadable: the default stays
    QCOMPARE(child<QComboBox>(dialog.get(), "comboB")->currentText(), u"Cable/DSL"_qs);
    QVERIFY(child<QLineEdit>(dialog.get(), "txtB")->text().isEmpty());
    QCOMPARE(state_->minLength, 7);
    QVERIFY(state_->chkBrow);
    QCOMPARE(state_->formats.chkNF, 1);
  }
};

TESSIVAR_TEST_MAIN(TestSetupDialog)
#include "test_setup_dialog.moc"
