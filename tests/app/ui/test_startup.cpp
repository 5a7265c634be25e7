#include "app/ui/application.h"
#include "app/ui/startup.h"

#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "app/ui/twips_geometry.h"
#include "base/settings_store.h"
#include "platform/app_services.h"
#include "startup_driver.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace tessivar;
using tessivar::test::FakePrompter;
using tessivar::test::FakeShellOpener;

namespace {

// Answers every request with the same short page.
class FixedPageServer final : public QObject
{
 public:
  QByteArray body = "Version OK";
  int requests = 0;

  bool listen()
  {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket *socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
          if (!socket->peek(4096).contains("\r\n\r\n")) return;
          socket->readAll();
          ++requests;
          socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " +
                        QByteArray::number(body.size()) + "\r\n\r\n" + body);
          socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
    return server_.listen(QHostAddress::LocalHost);
  }
  QString hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }

 private:
  QTcpServer server_;
};

constexpr double screenWidth = 19200;   // 1280 pixels at 96 dpi
constexpr double screenHeight = 15360;  // 1024 pixels

}  // namespace

class TestStartup final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<SettingsStore> store_;
  FakePrompter prompter_;
  FakeShellOpener shell_;

  TwipsRect place(const TwipsRect &current = {0, 0, 4000, 3000})
  {
    return startupGeometry(*store_, TwipsRect{0, 0, screenWidth, screenHeight}, current, QSizeF(9500, 5595));
  }

  bool start(ProgramParts &parts) { return test::runStartupNow(parts, this, 15000); }

 private slots:
  void init()
  {
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("settings.ini")));
    store_->setText(SettingKey::SiteHost, QStringLiteral("site.test"));
    prompter_ = FakePrompter();
  }

  // The default 1000 × 1000 is raised to the least size before the window is centred.
  void firstRunIsCentredAtTheLeastSize()
  {
    const TwipsRect first = place();
    QCOMPARE(first.width, 9500.0);
    QCOMPARE(first.height, 5595.0);
    QCOMPARE(first.left, (screenWidth - 9500) / 2);
    QCOMPARE(first.top, (screenHeight - 5595) / 2);
  }

  void storedPlaceIsCorrectedOnlyWhenOffScreen_data()
  {
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("left");
    QTest::addColumn<double>("expectedTop");
    QTest::addColumn<double>("expectedLeft");
    QTest::newRow("on screen") << u"300"_qs << u"450.5"_qs << 300.0 << 450.5;
    QTest::newRow("top above") << u"-200"_qs << u"450"_qs << screenHeight / 2 << 450.0;
    QTest::newRow("top below") << u"15361"_qs << u"450"_qs << screenHeight / 2 << 450.0;
    QTest::newRow("left beyond") << u"300"_qs << u"19201"_qs << 300.0 << screenWidth / 2;
    QTest::newRow("left before") << u"300"_qs << u"-1"_qs << 300.0 << screenWidth / 2;
    QTest::newRow("partly off stays") << u"15000"_qs << u"19000"_qs << 15000.0 << 19000.0;
    QTest::newRow("unreadable keeps") << u"high"_qs << u""_qs << 100.0 << 200.0;
  }

  void storedPlaceIsCorrectedOnlyWhenOffScreen()
  {
    QFETCH(QString, top);
    QFETCH(QString, left);
    QFETCH(double, expectedTop);
    QFETCH(double, expectedLeft);
    store_->setText(SettingKey::Top, top);
    store_->setText(SettingKey::Left, left);
    store_->setText(SettingKey::Width, u"12000"_qs);
    store_->setText(SettingKey::Height, u"wide"_qs);
    const TwipsRect stored = place({200, 100, 4000, 6000});
    QCOMPARE(stored.width, 12000.0);
    QCOMPARE(stored.height, 6000.0);  // unreadable: the size in force stays
    QCOMPARE(stored.top, expectedTop);
    QCOMPARE(stored.left, expectedLeft);
  }

  void successfulStartFillsTheWindow()
  {
    FixedPageServer server;
    QVERIFY(server.listen());
    store_->setText(SettingKey::LastQueryServer, server.hostPort());
    store_->setText(SettingKey::LastSearch, u"jazz"_qs);
    const AppServices services = test::testServices(*store_, prompter_, shell_);
    ProgramParts parts(services);
    MainWindow &window = parts.window();

    QVERIFY(start(parts));
    QCOMPARE(parts.dataServer(), server.hostPort());
    QCOMPARE(window.windowTitle(), u"Tessivar! Broadcast v3.7"_qs);
    QVERIFY(window.hasStarted());
    QCOMPARE(window.searchText(), u"jazz"_qs);
    QVERIFY(!parts.splashPicture().isNull());
    QVERIFY(test::visibleSplash() == nullptr);
    QCOMPARE(server.requests, 1);
    if (isSmallFonts()) QVERIFY(prompter_.prompts.isEmpty());
    // The layout raised the window to its least size.
    const TwipsRect geometry = geometryTwips(window);
    QVERIFY(geometry.width >= 9500);
    QVERIFY(geometry.height >= 5595);
  }

  void aRepairedSettingsFileIsTold()
  {
    FixedPageServer server;
    QVERIFY(server.listen());
    const QString path = store_->fileName();
    store_.reset();
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("[Settings]\nLastSearch=\"x\nLastQueryServer=" + server.hostPort().toUtf8() + "\n");
    damaged.close();
    store_ = std::make_unique<SettingsStore>(path);
    ProgramParts parts(test::testServices(*store_, prompter_, shell_));
    QVERIFY(start(parts));  // the server named below the quote is asked
    QVERIFY(prompter_.texts().contains(settingsRepairMessage(store_->repairAtOpen())));
  }

  void oneSetupDialogAtATime()
  {
    const AppServices services = test::testServices(*store_, prompter_, shell_);
    ProgramParts parts(services);
    MainWindow &window = parts.window();
    wireProgram(parts);
    const auto setupDialogs = [] {
      int count = 0;
      const auto widgets = QApplication::topLevelWidgets();
      for (QWidget *widget : widgets) count += widget->objectName() == u"frmSetup"_qs && widget->isVisible();
      return count;
    };
    emit window.setupRequested(false);
    QTRY_COMPARE(setupDialogs(), 1);
    // A modal request while the modeless one is open brings that one forward instead of a second.
    int seen = -1;
    QTimer::singleShot(0, &window, [&] {
      seen = setupDialogs();
      if (QWidget *modal = QApplication::activeModalWidget()) modal->close();
    });
    emit window.setupRequested(true);
    QTRY_VERIFY(seen != -1);
    QCOMPARE(seen, 1);
  }

  void failedStartWritesNothing()
  {
    FixedPageServer server;
    server.body = "Version NO";
    QVERIFY(server.listen());
    store_->setText(SettingKey::LastQueryServer, server.hostPort());
    store_->setText(SettingKey::Width, u"12345"_qs);
    store_->setText(SettingKey::LastSearch, u"jazz"_qs);
    const AppServices services = test::testServices(*store_, prompter_, shell_);
    {
      ProgramParts parts(services);
      MainWindow &window = parts.window();
      QVERIFY(!start(parts));
      QVERIFY(!window.hasStarted());
      QVERIFY(!window.isVisible());
      window.close();
    }
    QVERIFY(prompter_.texts().contains(u"This version is out of date and may not function correctly."_qs));
    QCOMPARE(store_->text(SettingKey::Width), u"12345"_qs);
    QCOMPARE(store_->text(SettingKey::LastSearch), u"jazz"_qs);
    QVERIFY(!store_->contains(SettingKey::OptLive));
    QVERIFY(!store_->contains(SettingKey::Top));
  }

  void realDirectoryAnswersTheVersionCheck()
  {
    const QString directory = QStringLiteral(TESSIVAR_BIN_DIR "/tessivar-directory");
    if (!QFile::exists(directory)) QSKIP("tessivar-directory is not built");
    const QString db = dir_->filePath(u"catalogue.db"_qs);
    QCOMPARE(QProcess::execute(directory, {u"import"_qs, u"--db"_qs, db}), 0);

    for (const QString &minimum : {u"3.7"_qs, u"3.8"_qs}) {
      QProcess server;
      server.start(directory, {u"serve"_qs, u"--db"_qs, db, u"--listen"_qs, u"127.0.0.1"_qs, u"--port"_qs,
                               u"0"_qs, u"--min-version"_qs, minimum, u"--quiet"_qs});
      QVERIFY(server.waitForStarted());
      QTRY_VERIFY(server.canReadLine());
      const QString line = QString::fromLatin1(server.readLine()).trimmed();
      QVERIFY2(line.startsWith(u"Listening on "_qs), qPrintable(line));
      const QString host = line.mid(13);
      store_->setText(SettingKey::LastQueryServer, host);
      prompter_ = FakePrompter();
      const AppServices services = test::testServices(*store_, prompter_, shell_);
      ProgramParts parts(services);
      const bool started = start(parts);
      server.terminate();
      server.waitForFinished();
      QCOMPARE(started, minimum == u"3.7"_qs);
      QCOMPARE(prompter_.texts().contains(u"This version is out of date and may not function correctly."_qs),
               !started);
    }
  }
};

TESSIVAR_TEST_MAIN(TestStartup)
#include "test_startup.moc"
