// The windows of the first runs. The quick help: its controls' names and texts, its links,
// "QHShow". The mailing-list sign-up: its controls, the checks of the two boxes, the request it
// sends and what a failed or unanswered request leaves.
#include "dialogs/ui/quick_help_window.h"
#include "dialogs/ui/signup_window.h"

#include "base/settings_store.h"
#include "dialogs/signup_sender.h"
#include "platform/app_services.h"
#include "platform/proxy_setting.h"
#include "support/fake_prompter.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>

using namespace tessivar;
using test::HttpTestServer;

namespace {

QString accessibleName(QWidget *widget)
{
  QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
  return face != nullptr ? face->text(QAccessible::Name) : QString();
}

}  // namespace

class TestFirstRunWindows final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<SettingsStore> store_;
  test::FakePrompter prompter_;
  test::FakeShellOpener shell_;
  std::unique_ptr<HttpTestServer> server_;

  AppServices services() { return test::testServices(*store_, prompter_, shell_); }

  std::unique_ptr<SignupWindow> open()
  {
    auto window = std::make_unique<SignupWindow>(services());
    window->show();
    return window;
  }

  static void fillIn(SignupWindow &window, const QString &name, const QString &email)
  {
    window.findChild<QLineEdit *>(u"txtName"_qs)->setText(name);
    window.findChild<QLineEdit *>(u"txtEmail"_qs)->setText(email);
  }

  static bool controlsEnabled(SignupWindow &window)
  {
    for (const char *name : {"txtName", "txtEmail", "cmdOK", "cmdCancel"}) {
      if (!window.findChild<QWidget *>(QString::fromLatin1(name))->isEnabled()) return false;
    }
    return true;
  }

 private slots:
  void init()
  {
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("settings.ini")));
    prompter_ = test::FakePrompter();
    shell_ = test::FakeShellOpener();
    server_ = std::make_unique<HttpTestServer>();
    QVERIFY(server_->listen());
    // The site is reached through the user's proxy, here the test server.
    store_->setText(SettingKey::SiteHost, u"site.test"_qs);
    store_->setText(SettingKey::ProxyHost, u"127.0.0.1"_qs);
    store_->setText(SettingKey::ProxyPort, QString::number(server_->port()));
    test::sharedSeams().transfers.useProxy(storedProxy(*store_));
  }

  void cleanup() { test::sharedSeams().transfers.useProxy(ProxySetting{}); }

  void everyControlHasItsNameAndText_data()
  {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("Label1") << u"Label1"_qs << u"Name"_qs;
    QTest::newRow("Label2") << u"Label2"_qs << u"Email Address"_qs;
    QTest::newRow("Label3") << u"Label3"_qs
                            << u"Please take a moment to let us know who you are so you can receive special "
                               u"offers and updates."_qs;
    QTest::newRow("Label4")
        << u"Label4"_qs << u"*This information will not be sold or distributed under any circumstances."_qs;
    QTest::newRow("txtName") << u"txtName"_qs << u"Name"_qs;
    QTest::newRow("txtEmail") << u"txtEmail"_qs << u"Email Address"_qs;
    QTest::newRow("cmdOK") << u"cmdOK"_qs << u"OK"_qs;
    QTest::newRow("cmdCancel") << u"cmdCancel"_qs << u"Cancel"_qs;
  }

  void everyControlHasItsNameAndText()
  {
    QFETCH(QString, name);
    QFETCH(QString, text);
    const auto window = open();
    QCOMPARE(window->objectName(), u"frmEmail"_qs);
    QCOMPARE(window->windowTitle(), u"Product Updates"_qs);
    auto *control = window->findChild<QWidget *>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(accessibleName(control), text);
    if (auto *button = qobject_cast<QPushButton *>(control)) QCOMPARE(button->text(), u"&"_qs + text);
  }

  void refusedBoxesSendNothing_data()
  {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("message");
    QTest::newRow("no @") << u"Jo"_qs << u"jo.example.test"_qs << u"Invalid e-mail address."_qs;
    QTest::newRow("both wrong") << u""_qs << u"jo"_qs << u"Invalid e-mail address."_qs;
    QTest::newRow("blank name") << u"   "_qs << u"@"_qs << u"Invalid name."_qs;
  }

  void refusedBoxesSendNothing()
  {
    QFETCH(QString, name);
    QFETCH(QString, email);
    QFETCH(QString, message);
    const auto window = open();
    fillIn(*window, name, email);
    window->findChild<QPushButton *>(u"cmdOK"_qs)->click();
    QCOMPARE(prompter_.texts(), QStringList{message});
    QCOMPARE(prompter_.prompts.constFirst().icon, PromptIcon::Critical);
    QVERIFY(window->isVisible());
    QVERIFY(controlsEnabled(*window));
    QVERIFY(!store_->contains(SettingKey::Email));
    QVERIFY(!window->sender().isSending());
  }

  void enterInTheAddressBoxSendsEveryValueEncoded()
  {
    server_->setScript(HttpTestServer::page(200, "OK", "Thank you"));
    const auto window = open();
    const QString email = u"tom+list@example.test#x"_qs;
    fillIn(*window, u"Tom & Jerry Müller"_qs, email);
    QTest::keyClick(window->findChild<QLineEdit *>(u"txtEmail"_qs), Qt::Key_Return);
    QVERIFY(window->isSending());
    QVERIFY(!controlsEnabled(*window));
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(server_->requests().size(), 1);
    QVERIFY2(server_->requests().constFirst().startsWith(
                 "GET http://site.test/maillist.asp?Email=tom%2Blist%40example.test%23x"
                 "&Name=Tom%20%26%20Jerry%20M%C3%BCller&Program=Tessivar%21%20Broadcast HTTP/1.1\r\n"),
             server_->requests().constFirst().constData());
    QCOMPARE(window->result(), int(QDialog::Accepted));
    QCOMPARE(store_->text(SettingKey::EMR), u"2"_qs);
    QCOMPARE(store_->text(SettingKey::Email), email);
    QVERIFY(prompter_.prompts.isEmpty());
  }

  void aFailedOrUnansweredRequestLeavesTheWindowToTryAgain_data()
  {
    QTest::addColumn<HttpTestServer::Script>("script");
    QTest::newRow("error page") << HttpTestServer::page(500, "Server Error", "down");
    QTest::newRow("connection reset") << HttpTestServer::Script{HttpTestServer::reset()};
    QTest::newRow("no answer") << HttpTestServer::Script{HttpTestServer::hold()};
  }

  void aFailedOrUnansweredRequestLeavesTheWindowToTryAgain()
  {
    QFETCH(HttpTestServer::Script, script);
    server_->setScript(script);
    const auto window = open();
    window->sender().setTimeLimit(std::chrono::milliseconds(200));
    fillIn(*window, u"Jo"_qs, u"jo@example.test"_qs);
    window->findChild<QPushButton *>(u"cmdOK"_qs)->click();
    QTRY_COMPARE(prompter_.texts(), QStringList{SignupWindow::failureText()});
    QVERIFY(window->isVisible());
    QVERIFY(controlsEnabled(*window));
    QVERIFY(!window->sender().isSending());
    QCOMPARE(store_->text(SettingKey::EMR), u"1"_qs);
    server_->release();
  }

  void whileSendingOnlyTheProgramCloses()
  {
    server_->setScript({HttpTestServer::hold()});
    auto window = open();
    fillIn(*window, u"Jo"_qs, u"jo@example.test"_qs);
    window->findChild<QPushButton *>(u"cmdOK"_qs)->click();
    QTRY_COMPARE(server_->requests().size(), 1);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    window->reject();
    QVERIFY(window->isVisible());
    QVERIFY(window->isSending());
    // The program's closing ends the request; the window going away afterwards is no harm.
    window->close();
    QVERIFY(!window->isVisible());
    QVERIFY(!window->sender().isSending());
    window.reset();
    server_->release();
    QTest::qWait(0);
    QVERIFY(prompter_.prompts.isEmpty());
    QCOMPARE(store_->text(SettingKey::EMR), u"1"_qs);
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

TESSIVAR_TEST_MAIN(TestFirstRunWindows)
#include "test_first_run_windows.moc"
