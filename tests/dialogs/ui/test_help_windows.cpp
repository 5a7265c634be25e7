// The quick help window: its controls' names and texts, the links, "QHShow".
#include "dialogs/ui/quick_help_window.h"

#include "base/settings_store.h"
#include "platform/app_services.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>

using namespace tessivar;

namespace {

QString accessibleName(QWidget *widget)
{
  QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
  return face != nullptr ? face->text(QAccessible::Name) : QString();
}

}  // namespace

class TestHelpWindows final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<SettingsStore> store_;
  test::FakePrompter prompter_;
  test::FakeShellOpener shell_;

  AppServices services() { return test::testServices(*store_, prompter_, shell_); }

 private slots:
  void init()
  {
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("settings.ini")));
    store_->setText(SettingKey::SiteHost, QStringLiteral("site.test"));
    shell_ = test::FakeShellOpener();
  }

  void quickHelpShowsItsTexts_data()
  {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    const auto row = [](const char *name, const char *text) {
      QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text);
    };
    row("Label1", "Quick Help");
    row("Label15", "Need more help?");
    row("cmdOK", "&OK");
    row("lblHead0_0", "Start the Live Search");
    row("lblHead1_0", "Start the Audio/Video Stream Search");
    row("lblHead2_0", "Browse Mode");
    row("lblHead3_0", "How Do I Use Presets?");
    row("lblHead4_0", "Using the Scanner");
    row("lblHead5_0", "Locating and Downloading Players");
    row("lblHead5_1", "Proxy Settings");
    row("lblText0_0", "Select LIVE broadcasts.");
    // "&&" in the caption shows as "&".
    row("lblText1_0", "Select Audio & Video Streams.");
    // Two blanks between sentences, and a blank at the end, as written.
    row("lblText4_1",
        "After opening the scan window, select the player you wish to use.  Tessivar! Broadcast will then "
        "cycle "
        "through all the stations that can be played on the player you have selected.  Set the timeout to "
        "tell "
        "Tessivar! Broadcast when to switch stations. ");
  }

  void quickHelpShowsItsTexts()
  {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QuickHelpWindow help(services());
    auto *control = help.findChild<QWidget *>(name);
    QVERIFY(control != nullptr);
    if (auto *button = qobject_cast<QPushButton *>(control)) {
      QCOMPARE(button->text(), text);
    } else {
      // A label reads out the text it shows.
      QCOMPARE(accessibleName(control), text);
    }
  }

  void quickHelpFrame()
  {
    QVERIFY(!store_->contains(SettingKey::QHShow));
    QuickHelpWindow help(services());
    QCOMPARE(store_->text(SettingKey::QHShow), u"1"_qs);
    QCOMPARE(help.objectName(), u"frmQuickHelp"_qs);
    QCOMPARE(help.windowTitle(), u"Tessivar! Broadcast - Quick Help"_qs);
    auto *tabs = help.findChild<QTabWidget *>(u"SSTab1"_qs);
    QVERIFY(tabs != nullptr);
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) captions << tabs->tabText(i);
    QCOMPARE(captions, (QStringList{u"Live Search"_qs, u"Stream Search"_qs, u"Browse"_qs, u"Presets"_qs,
                                    u"Scanner"_qs, u"Setup"_qs}));
    QCOMPARE(accessibleName(help.findChild<QWidget *>(u"picLogo"_qs)), u"picLogo"_qs);
  }

  void quickHelpLinksOpenTheirPages()
  {
    QuickHelpWindow help(services());
    help.show();
    auto *more = help.findChild<QLabel *>(u"Label15"_qs);
    emit more->linkActivated(u"#"_qs);
    QTest::mouseClick(help.findChild<QWidget *>(u"picLogo"_qs), Qt::LeftButton);
    QCOMPARE(shell_.opened,
             (QStringList{u"http://site.test/mailform.htm"_qs, u"http://site.test/tessivar.htm"_qs}));
    QTest::mouseClick(help.findChild<QPushButton *>(u"cmdOK"_qs), Qt::LeftButton);
    QVERIFY(!help.isVisible());
  }
};

TESSIVAR_TEST_MAIN(TestHelpWindows)
#include "test_help_windows.moc"
