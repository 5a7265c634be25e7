// The side windows the main window opens: the first-run offers at start-up, the quick help and
// About windows from the Help menu, the web window for a result's website.
#include "app/ui/application.h"
#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "base/settings_store.h"
#include "dialogs/ui/web_window.h"
#include "main_window_fixture.h"
#include "results/ui/results_grid.h"
#include "startup_driver.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>

using namespace tessivar;

namespace {

QList<QWidget *> visibleWindows(const QString &name)
{
  QList<QWidget *> found;
  const auto widgets = QApplication::topLevelWidgets();
  for (QWidget *widget : widgets) {
    if (widget->isVisible() && widget->objectName() == name) found << widget;
  }
  return found;
}

}  // namespace

class TestSideWindows final : public QObject
{
  Q_OBJECT

 private slots:
  void firstRunOffersCountAcrossStarts()
  {
    test::HttpTestServer server;
    QVERIFY(server.listen());
    server.setScript(test::HttpTestServer::page(200, "OK", "Version OK"));
    test::MainWindowFixture fixture;
    SettingsStore &store = *fixture.settings;
    store.setText(SettingKey::LastQueryServer, u"127.0.0.1:%1"_qs.arg(server.port()));

    // Each start: which first-run windows showed, in order, each closed as soon as it shows.
    const auto start = [&] {
      ProgramParts parts(fixture.services);
      MainWindow &window = parts.window();
      QStringList shown;
      QTimer user;
      user.setInterval(10);
      connect(&user, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->objectName() == u"frmSplash"_qs) return;
        shown << modal->objectName();
        modal->close();
      });
      user.start();
      test::runStartupNow(parts, this, 15000, false);
      window.close();
      return shown;
    };

    QCOMPARE(start(), (QStringList{u"frmEmail"_qs, u"frmQuickHelp"_qs}));
    QCOMPARE(store.text(SettingKey::EMR), u"1"_qs);
    QCOMPARE(store.text(SettingKey::QHShow), u"1"_qs);
    QCOMPARE(start(), QStringList{u"frmEmail"_qs});
    QCOMPARE(store.text(SettingKey::EMR), u"2"_qs);
    QCOMPARE(start(), QStringList());
    // Without "QHShow" the quick help comes back.
    store.remove(SettingKey::QHShow);
    QCOMPARE(start(), QStringList{u"frmQuickHelp"_qs});
  }

  void helpMenuOpensOneQuickHelpAndAbout()
  {
    test::MainWindowFixture fixture;
    MainWindow &window = *fixture.window;
    wireProgram(*fixture.parts);
    window.show();
    QAction *quickHelp = window.findChild<QAction *>(u"menuQuickHelp"_qs);
    QCOMPARE(quickHelp->shortcut(), QKeySequence(Qt::Key_F1));
    quickHelp->trigger();
    QCOMPARE(visibleWindows(u"frmQuickHelp"_qs).size(), 1);
    QWidget *first = visibleWindows(u"frmQuickHelp"_qs).constFirst();
    QVERIFY(!first->isModal());
    quickHelp->trigger();
    QCOMPARE(visibleWindows(u"frmQuickHelp"_qs), QList<QWidget *>{first});

    window.findChild<QAction *>(u"menuAbout"_qs)->trigger();
    const QList<QWidget *> about = visibleWindows(u"frmAbout"_qs);
    QCOMPARE(about.size(), 1);
    QVERIFY(about.constFirst()->isModal());

    // The program's closing closes both.
    window.close();
    QVERIFY(visibleWindows(u"frmQuickHelp"_qs).isEmpty());
    QVERIFY(visibleWindows(u"frmAbout"_qs).isEmpty());
  }

  void websitePreviewsGoToOneWebWindow()
  {
    test::HttpTestServer server;
    QVERIFY(server.listen());
    server.setScript(test::HttpTestServer::page(200, "OK", "<html><body>Radio</body></html>"));
    test::MainWindowFixture fixture;
    MainWindow &window = *fixture.window;
    wireProgram(*fixture.parts);
    window.show();

    emit window.websitePreviewRequested(u"file:///etc/passwd"_qs);
    QVERIFY(visibleWindows(u"frmWeb"_qs).isEmpty());

    const QString first = server.url(u"/one.htm"_qs).toString();
    emit window.websitePreviewRequested(first);
    QCOMPARE(visibleWindows(u"frmWeb"_qs).size(), 1);
    auto *web = qobject_cast<WebWindow *>(visibleWindows(u"frmWeb"_qs).constFirst());
    QCOMPARE(web->lURL(), first);
    // The grid shows the busy pointer until the page has loaded.
    QCOMPARE(window.controls().results->cursor().shape(), Qt::BusyCursor);
    QTRY_VERIFY_WITH_TIMEOUT(!web->isLoading(), 30000);
    QCOMPARE(window.controls().results->cursor().shape(), Qt::ArrowCursor);

    const QString second = server.url(u"/two.htm"_qs).toString();
    emit window.websitePreviewRequested(second);
    QCOMPARE(visibleWindows(u"frmWeb"_qs), QList<QWidget *>{web});
    QCOMPARE(web->lURL(), second);

    // The main window's closing closes it, and it keeps its place.
    window.close();
    QVERIFY(visibleWindows(u"frmWeb"_qs).isEmpty());
    QVERIFY(fixture.settings->contains(SettingKey::WWidth));
  }
};

TESSIVAR_TEST_MAIN(TestSideWindows)
#include "test_side_windows.moc"
