// The web and About windows: their sizes in pixels on a screen of 96 and one of 144 dots per inch,
// and the web window with the real browser engine against pages served by the test.
#include "dialogs/ui/about_window.h"
#include "dialogs/ui/web_window.h"

#include "base/settings_store.h"
#include "dialogs/ui/web_view_loader.h"
#include "platform/app_services.h"
#include "support/fake_prompter.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using namespace tessivar;
using test::HttpTestServer;

namespace {

// The screen of 96 (index 0) or of 144 dots per inch (index 1).
QScreen *screenAt(int index)
{
  const QString name = index == 0 ? QStringLiteral("normal") : QStringLiteral("fine");
  for (QScreen *screen : QGuiApplication::screens()) {
    if (screen->name() == name) return screen;
  }
  return nullptr;
}

// A widget on the given screen, for the windows to open over.
std::unique_ptr<QWidget> ownerOn(int screenIndex)
{
  auto owner = std::make_unique<QWidget>();
  QScreen *screen = screenAt(screenIndex);
  owner->setGeometry(QRect(screen->geometry().center(), QSize(50, 50)));
  owner->show();
  return owner;
}

}  // namespace

class TestWebAndAboutWindows final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<SettingsStore> store_;
  test::FakePrompter prompter_;
  test::FakeShellOpener shell_;

  // Navigates and waits for the end of loading, with the busy pointer meanwhile; the page's ok.
  static bool load(WebWindow &web, const QString &address)
  {
    QSignalSpy completed(&web, &WebWindow::navigationCompleted);
    if (!web.navigate(address) || !web.isLoading() || QGuiApplication::overrideCursor() == nullptr)
      return false;
    return completed.wait(30000) && completed.constFirst().constFirst().toBool();
  }

  static void byScreen()
  {
    QTest::addColumn<int>("screen");
    QTest::newRow("96 dpi") << 0;
    QTest::newRow("144 dpi") << 1;
  }

 private slots:
  void initTestCase() { QCOMPARE(screenAt(1)->logicalDotsPerInchX(), 144.0); }

  void init()
  {
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("settings.ini")));
  }

  void webWindowSizesAndBrowserArea_data()
  {
    QTest::addColumn<int>("screen");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSize>("browser");
    QTest::addColumn<int>("margin");
    QTest::addColumn<QString>("storedWidth");
    // 3885 x 3000 twips; the browser area 110 twips narrower and 700 twips lower.
    QTest::newRow("96 dpi") << 0 << QSize(259, 200) << QSize(252, 153) << 7 << u"3885"_qs;
    QTest::newRow("144 dpi") << 1 << QSize(389, 300) << QSize(378, 230) << 11 << u"3890"_qs;
  }

  void webWindowSizesAndBrowserArea()
  {
    QFETCH(int, screen);
    QFETCH(QSize, window);
    QFETCH(QSize, browser);
    QFETCH(int, margin);
    QFETCH(QString, storedWidth);
    const auto owner = ownerOn(screen);
    auto *web = new WebWindow(test::testServices(*store_, prompter_, shell_), owner.get());
    web->show();
    QCOMPARE(web->screen(), screenAt(screen));
    QCOMPARE(web->size(), window);
    auto *area = web->findChild<QWidget *>(u"WB1"_qs);
    QCOMPARE(area->size(), browser);

    // Dragged smaller, it snaps back; larger, the browser area follows.
    web->resize(120, 90);
    QCOMPARE(web->size(), window);
    web->resize(window * 2);
    QTRY_COMPARE(area->width(), web->width() - margin);

    // Closed while maximised, the normal place is stored.
    web->resize(window);
    web->showMaximized();
    QTRY_VERIFY(web->width() > window.width());
    web->close();
    QCOMPARE(store_->text(SettingKey::WWidth), storedWidth);
    delete web;
  }

  void webWindowShowsWebPagesOnly()
  {
    HttpTestServer server;
    QVERIFY(server.listen());
    WebWindow web(test::testServices(*store_, prompter_, shell_));
    if (!web.hasEngine()) QSKIP(qPrintable(u"Qt WebEngine cannot be loaded here: "_qs + webViewError()));
    web.show();
    server.setScript(HttpTestServer::page(200, "OK", "<html><body><h1>Radio Example</h1></body></html>"));
    const QString address = server.url(u"/station.htm"_qs).toString();
    QVERIFY(load(web, address));
    QCOMPARE(web.lURL(), address);
    QCOMPARE(web.shownAddress(), address);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    web.findChild<QAction *>(u"menuLaunch"_qs)->trigger();
    QCOMPARE(shell_.opened, QStringList{address});

    // A file is refused; a page that fails gives the pointer back too.
    QVERIFY(!web.navigate(u"file:///etc/passwd"_qs));
    server.setScript(
        {HttpTestServer::send("HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\n"
                              "Content-Length: 0\r\nConnection: close\r\n\r\n")});
    QVERIFY(!load(web, server.url(u"/moved.htm"_qs).toString()));
    QVERIFY(!web.shownAddress().startsWith(u"file:"_qs));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  }

  void aboutKeepsItsSize_data() { byScreen(); }

  void aboutKeepsItsSize()
  {
    QFETCH(int, screen);
    const double dpi = screenAt(screen)->logicalDotsPerInchX();
    const QSize fixed(qRound(5700 * dpi / 1440), qRound(3000 * dpi / 1440));
    const auto owner = ownerOn(screen);
    QPixmap picture(350, 131);
    picture.fill(Qt::red);
    AboutWindow about(picture, owner.get());
    about.show();
    QTRY_COMPARE(about.size(), fixed);
    about.resize(fixed * 2);
    QCOMPARE(about.size(), fixed);
    // The splash's picture, centred across the window.
    auto *image = about.findChild<QLabel *>(u"Image1"_qs);
    QCOMPARE(image->pixmap().toImage(), picture.toImage());
    QCOMPARE(image->x(), (fixed.width() - picture.width()) / 2);
  }
};

int main(int argc, char *argv[])
{
  test::useTemporaryUserFolders();
  QTemporaryDir config;
  QFile screens(config.filePath(QStringLiteral("screens.json")));
  if (!screens.open(QIODevice::WriteOnly)) return 1;
  screens.write(R"({"screens": [
      {"name": "normal", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
      {"name": "fine", "x": 1280, "y": 0, "width": 1920, "height": 1440, "logicalDpi": 144, "logicalBaseDpi": 96, "dpr": 1}]})");
  screens.close();
  // Without scaling a finer screen reports its own logical resolution, and twips are more pixels.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
  QApplication app(argc, argv);
  TestWebAndAboutWindows test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "test_web_and_about_windows.moc"
