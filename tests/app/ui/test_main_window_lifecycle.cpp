#include "main_window_fixture.h"

#include "app/ui/tray_icon.h"
#include "app/ui/twips_geometry.h"
#include "base/program_options.h"
#include "results/ui/results_grid.h"
#include "support/test_environment.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

using namespace tessivar;

class TestMainWindowLifecycle final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<test::MainWindowFixture> f;

  QString stored(SettingKey key) const { return f->settings->text(key); }

 private slots:
  void init() { f = std::make_unique<test::MainWindowFixture>(); }
  void cleanup() { f.reset(); }

  void getSettingsRestoresOptionsSearchPresetsAndTips()
  {
    SettingsStore &store = *f->settings;
    store.setText(SettingKey::OptLive, QStringLiteral("False"));
    store.setText(SettingKey::OptArch, QStringLiteral("True"));
    store.setText(SettingKey::LastSearch, QStringLiteral("blue+note"));
    store.setText(SettingKey::ChkBrow, QStringLiteral("1"));
    store.setText(SettingKey::ProxyHost, QStringLiteral("proxy.example"));
    store.setText(SettingKey::ProxyPort, QStringLiteral("3128"));
    store.setPreset(2,
                    QStringLiteral("Jazz FM") + presetSeparator + QStringLiteral("http://j.example/a.pls"));
    store.setPreset(3, presetSeparator + QStringLiteral("http://nameless.example/"));

    MainWindow &window = *f->window;
    QVERIFY(!window.hasStarted());
    window.GetSettings();
    QVERIFY(window.hasStarted());
    QCOMPARE(window.searchMode(), SearchMode::Archive);
    QCOMPARE(window.statusText(1), QStringLiteral("Ready"));
    QVERIFY(!f->find<QWidget>(QStringLiteral("frameSide"))->isVisibleTo(&window));
    QCOMPARE(window.searchText(), QStringLiteral("blue+note"));
    QCOMPARE(f->find<QToolButton>(QStringLiteral("pPreset2"))->toolTip(), QStringLiteral("Jazz FM"));
    QCOMPARE(f->find<QToolButton>(QStringLiteral("pPreset3"))->toolTip(),
             QStringLiteral("Drag and Drop station listing here while holding Shift Key"));
    QCOMPARE(window.controls().results->toolTip(),
             QStringLiteral("Single click to display stream website or click PLAY button to play."));
    QCOMPARE(f->parts->options().proxyHost, QStringLiteral("proxy.example"));
    QCOMPARE(f->parts->options().proxyPort, 3128);
    QVERIFY(!window.controls().tray->isShown());
    QCOMPARE(window.controls().tray->toolTip(), QStringLiteral("Tessivar! Broadcast 3.7"));
  }

  void closingWritesEveryKeyOfTheExit()
  {
    SettingsStore &store = *f->settings;
    store.setText(SettingKey::ProxyHost, QStringLiteral("proxy.example"));
    MainWindow &window = *f->window;
    window.GetSettings();
    window.show();
    setGeometryTwips(window, {1500, 1200, 11000, 7500});
    f->find<QRadioButton>(QStringLiteral("optLib"))->click();
    window.searchView().setSearchText(QStringLiteral("kind of blue"));
    const TwipsRect expected = geometryTwips(window);
    QVERIFY(window.close());

    QVERIFY(window.searchView().isUnloading());
    QCOMPARE(stored(SettingKey::Top).toDouble(), expected.top);
    QCOMPARE(stored(SettingKey::Left).toDouble(), expected.left);
    QVERIFY(qAbs(stored(SettingKey::Width).toDouble() - expected.width) < 0.01);
    QVERIFY(qAbs(stored(SettingKey::Height).toDouble() - expected.height) < 0.01);
    QCOMPARE(stored(SettingKey::ProxyHost), QStringLiteral("proxy.example"));
    QCOMPARE(stored(SettingKey::ProxyPort), QStringLiteral("1080"));
    QCOMPARE(stored(SettingKey::OptLive), QStringLiteral("False"));
    QCOMPARE(stored(SettingKey::OptArch), QStringLiteral("False"));
    QCOMPARE(stored(SettingKey::OptLib), QStringLiteral("True"));
    QCOMPARE(stored(SettingKey::LastSearch), QStringLiteral("kind of blue"));
  }

  void aMaximisedWindowSavesItsNormalGeometry()
  {
    MainWindow &window = *f->window;
    window.GetSettings();
    window.show();
    setGeometryTwips(window, {1500, 1200, 10500, 7000});
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const TwipsRect normal = geometryTwips(window);
    window.showMaximized();
    QTRY_VERIFY(window.isMaximized());
    window.close();
    QVERIFY(qAbs(stored(SettingKey::Width).toDouble() - normal.width) < 0.01);
    QVERIFY(qAbs(stored(SettingKey::Left).toDouble() - normal.left) < 0.01);
  }

  void aStartThatNeverCompletedWritesNothing()
  {
    f->settings->setText(SettingKey::LastSearch, QStringLiteral("kept"));
    f->settings->setText(SettingKey::Width, QStringLiteral("14000"));
    f->window->searchView().setSearchText(QStringLiteral("lost"));
    QVERIFY(f->window->close());
    QCOMPARE(stored(SettingKey::LastSearch), QStringLiteral("kept"));
    QCOMPARE(stored(SettingKey::Width), QStringLiteral("14000"));
    QVERIFY(!f->settings->contains(SettingKey::Top));
    QVERIFY(!f->settings->contains(SettingKey::OptLive));
  }

  void f12ClosesThroughTheOrdinaryPath()
  {
    MainWindow &window = *f->window;
    window.GetSettings();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F12);
    QTRY_VERIFY(!window.isVisible());
    QCOMPARE(stored(SettingKey::OptLive), QStringLiteral("True"));
  }

  void closingClosesTheSideWindows()
  {
    QWidget side;
    side.show();
    f->window->registerSideWindow(&side);
    f->window->close();
    QVERIFY(!side.isVisible());
  }

  void minimisingWithTrayOnMovesTheWindowToTheTray()
  {
    f->settings->setText(SettingKey::Tray, QStringLiteral("1"));
    MainWindow &window = *f->window;
    window.controls().tray->setAvailability(true);
    window.GetSettings();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showMinimized();
    QTRY_VERIFY(window.isHidden());
    QVERIFY(window.controls().tray->isShown());

    emit window.controls().tray->clicked();
    QTRY_VERIFY(window.isVisible());
    QVERIFY(!window.isMinimized());
    QVERIFY(!window.controls().tray->isShown());
  }

  void minimisingWithoutTheTrayKeepsTheWindow()
  {
    MainWindow &window = *f->window;
    window.controls().tray->setAvailability(true);
    window.GetSettings();
    window.show();
    window.showMinimized();
    QTest::qWait(20);
    QVERIFY(!window.isHidden());
    QVERIFY(!window.controls().tray->isShown());

    // "Tray" on, but the desktop has no tray: the window stays reachable.
    f->settings->setText(SettingKey::Tray, QStringLiteral("1"));
    window.controls().tray->setAvailability(false);
    window.showNormal();
    window.showMinimized();
    QTest::qWait(20);
    QVERIFY(!window.isHidden());
    QVERIFY(!window.controls().tray->isShown());
  }

  void theVerifyLabelBlinksRedAndGreen()
  {
    MainWindow &window = *f->window;
    window.show();
    const auto *label = f->find<QLabel>(QStringLiteral("lblV"));
    const auto *timer = f->find<QTimer>(QStringLiteral("TimerFlash"));
    window.verifyView().showVerifying(true);
    QVERIFY(label->isVisible());
    QVERIFY(timer->isActive());
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(timer->interval(), 1000);
    window.flashTick();
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    QCOMPARE(timer->interval(), 200);
    window.flashTick();
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(timer->interval(), 1000);
    window.verifyView().showVerifying(false);
    QVERIFY(!label->isVisible());
    QVERIFY(!timer->isActive());
  }

  void theWindowIsHeldAtItsMinimumSize()
  {
    MainWindow &window = *f->window;
    window.show();
    setGeometryTwips(window, {0, 0, 1000, 1000});
    QTRY_VERIFY(geometryTwips(window).width >= 9500);
    QVERIFY(geometryTwips(window).height >= 5595 - 15);
  }
};

TESSIVAR_TEST_MAIN(TestMainWindowLifecycle)
#include "test_main_window_lifecycle.moc"
