// The quick help and About windows: every control's name and text, the links, "QHShow".
#include "dialogs/ui/about_window.h"
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

  void quickHelpShowsEveryText_data()
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
    row("lblText0_0", "Select LIVE broadcasts.");
    row("lblText0_1",
        "Enter radio station name, region (location), format or keyword to search for in search box and "
        "click "
        "the SEARCH button.");
    row("lblText0_2",
        "Once stations are listed, simply click the PLAY button to launch player and connect to station.  "
        "Bandwidth column indicates the quality of the broadcast station, the higher the bandwidth, the "
        "better "
        "the quality.");
    row("lblHead1_0", "Start the Audio/Video Stream Search");
    row("lblText1_0", "Select Audio & Video Streams.");
    row("lblText1_1",
        "Enter keywords to search.  Our searchable database is growing daily and without limit to subject.  "
        "You "
        "may search for artists, movies, lectures, concerts, interviews or anything else you can possibly "
        "imagine.");
    row("lblText1_2",
        "Once listed, simply press the PLAY button to play the selected item.  If you have found something "
        "you "
        "like you can add it to your bookmarks or email it to a friend with the appropriate toolbar "
        "buttons.");
    row("lblHead2_0", "Browse Mode");
    row("lblText2_0",
        "If you would like to browse the catalog of streaming media rather than searching, the browse "
        "feature is "
        "available.  Browse mode is very similar to the card-catalog in a library.  Simply choose a letter "
        "of "
        "the alphabet and Tessivar! Broadcast will display the first 100 clips beginning with that letter.");
    row("lblText2_1",
        "Once you have received your results, you can move to the next or previous page of results or go "
        "directly to a page number.");
    row("lblHead3_0", "How Do I Use Presets?");
    row("lblText3_0",
        "Presets are used to save your favorite stations.  To set a preset, simply hold down the SHIFT key "
        "and "
        "drag the station listing from the results window to one of the colored preset buttons.");
    row("lblText3_1",
        "To access or play a station simply click the preset button.  If you want to see which stations are "
        "assigned to your presets, simply point the mouse cursor to the preset and the tooltip will appear "
        "showing the station name.");
    row("lblHead4_0", "Using the Scanner");
    row("lblText4_0",
        "The station scanner can be a great way to find stations without necessarily searching for them.  "
        "Simply press the SCAN button on the toolbar to start.");
    row("lblText4_1",
        "After opening the scan window, select the player you wish to use.  Tessivar! Broadcast will then "
        "cycle "
        "through all the stations that can be played on the player you have selected.  Set the timeout to "
        "tell "
        "Tessivar! Broadcast when to switch stations. ");
    row("lblHead5_0", "Locating and Downloading Players");
    row("lblText5_0",
        "If you are missing a player, simply click on the player logo to visit the website and download "
        "desired "
        "player. Please close and restart Tessivar! Broadcast before using the newly installed player.");
    row("lblHead5_1", "Proxy Settings");
    row("lblText5_1",
        "If you are behind a proxy or firewall, enter the proxy address and port in these settings to allow "
        "Tessivar! Broadcast to communicate with the outside world.");
  }

  void quickHelpShowsEveryText()
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

  void aboutShowsThePictureAndOK()
  {
    QPixmap picture(350, 131);
    picture.fill(Qt::red);
    AboutWindow about(picture);
    about.show();
    QCOMPARE(about.objectName(), u"frmAbout"_qs);
    QCOMPARE(about.windowTitle(), u"About"_qs);
    auto *image = about.findChild<QLabel *>(u"Image1"_qs);
    QCOMPARE(image->pixmap().toImage(), picture.toImage());
    QCOMPARE(accessibleName(image), u"Image1"_qs);
    // Centred across the window.
    QCOMPARE(image->x(), (about.width() - picture.width()) / 2);
    auto *ok = about.findChild<QPushButton *>(u"cmdCancel"_qs);
    QCOMPARE(ok->text(), u"&OK"_qs);
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!about.isVisible());
  }
};

TESSIVAR_TEST_MAIN(TestHelpWindows)
#include "test_help_windows.moc"
