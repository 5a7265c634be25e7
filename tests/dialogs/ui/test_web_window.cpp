// The web window with the real browser engine, against pages served by the test: a page shown and
// its address reported, a redirect to a file refused, the page handed to the user's browser.
#include "dialogs/ui/web_window.h"

#include "base/settings_store.h"
#include "dialogs/ui/web_view_loader.h"
#include "platform/app_services.h"
#include "support/fake_prompter.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QAction>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using namespace tessivar;
using test::HttpTestServer;

class TestWebWindow final : public QObject
{
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<SettingsStore> store_;
  test::FakePrompter prompter_;
  test::FakeShellOpener shell_;
  HttpTestServer server_;
  std::unique_ptr<WebWindow> web_;

  // Navigates and waits for the end of loading; the completion's ok.
  bool load(const QString &address)
  {
    QSignalSpy completed(web_.get(), &WebWindow::navigationCompleted);
    if (!web_->navigate(address)) return false;
    if (!web_->isLoading() || QGuiApplication::overrideCursor() == nullptr) return false;
    if (!completed.wait(30000)) return false;
    return completed.constFirst().constFirst().toBool();
  }

 private slots:
  void initTestCase()
  {
    store_ = std::make_unique<SettingsStore>(dir_.filePath(QStringLiteral("settings.ini")));
    QVERIFY(server_.listen());
    web_ = std::make_unique<WebWindow>(test::testServices(*store_, prompter_, shell_));
    if (!web_->hasEngine()) QSKIP(qPrintable(u"Qt WebEngine cannot be loaded here: "_qs + webViewError()));
    web_->show();
  }

  void showsAPageAndReportsItsAddress()
  {
    server_.setScript(HttpTestServer::page(200, "OK", "<html><body><h1>Radio Example</h1></body></html>"));
    const QString address = server_.url(u"/station.htm"_qs).toString();
    QVERIFY(load(address));
    QCOMPARE(web_->lURL(), address);
    QCOMPARE(web_->shownAddress(), address);
    QVERIFY(!web_->isLoading());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

    web_->findChild<QAction *>(u"menuLaunch"_qs)->trigger();
    QCOMPARE(shell_.opened, QStringList{address});
  }

  void aPageCannotLeadToAFile()
  {
    QVERIFY(!web_->navigate(u"file:///etc/passwd"_qs));
    server_.setScript(
        {HttpTestServer::send("HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\n"
                              "Content-Length: 0\r\nConnection: close\r\n\r\n")});
    QVERIFY(!load(server_.url(u"/moved.htm"_qs).toString()));
    QVERIFY(!web_->shownAddress().startsWith(u"file:"_qs));
    QVERIFY(!web_->isLoading());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  }

  void cleanupTestCase() { web_.reset(); }
};

TESSIVAR_TEST_MAIN(TestWebWindow)
#include "test_web_window.moc"
