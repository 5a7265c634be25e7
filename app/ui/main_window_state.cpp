// Start-up settings, layout, geometry, tray icon, the pre-verification blink and closing.
#include "app/ui/main_window.h"

#include "app/ui/browse_bar.h"
#include "app/ui/preset_bar.h"
#include "app/ui/tray_icon.h"
#include "app/ui/twips_geometry.h"
#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "base/twips.h"
#include "library/preset_table.h"
#include "platform/ui/screen_dpi.h"
#include "results/player_location.h"
#include "results/ui/results_grid.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>

namespace tessivar {

namespace {

const QColor flashRed(255, 0, 0);
const QColor flashGreen(0, 255, 0);

}  // namespace

// --- start-up --------------------------------------------------------------------------------

void MainWindow::GetSettings()
{
  SettingsStore &store = services_.settings;

  controls_.tray->hide();
  controls_.tray->setIcon(windowIcon());
  controls_.tray->setToolTip(product::trayToolTip());

  setup_.loadProxy();
  locatePlayers(setup_, services_);

  // Each option that reads true is selected in turn, so the last of them wins; none at all
  // leaves the live mode.
  SearchMode mode = SearchMode::Live;
  if (store.truth(SettingKey::OptLive).value_or(true)) mode = SearchMode::Live;
  if (store.truth(SettingKey::OptArch).value_or(false)) mode = SearchMode::Archive;
  if (store.truth(SettingKey::OptLib).value_or(false)) mode = SearchMode::Library;
  switchMode(mode);
  setStatusText(1, QStringLiteral("Ready"));

  setSearchText(store.text(SettingKey::LastSearch));
  controls_.presetBar->presets().load(store);
  setup_.load();
  const QString playHint = results_layout::gridToolTip(setup_.chkBrow);
  controls_.results->setToolTip(playHint);
  controls_.related->setToolTip(playHint);
  controls_.browseBar->layOut(screenDpi(this));
  started_ = true;
}

// --- layout and geometry ---------------------------------------------------------------------

void MainWindow::layoutWindow()
{
  applyTrayRule();
  if (!isMinimized()) {
    holdMinimumSize();
    const bool archive = searchMode() != SearchMode::Live;
    relatedArea_->setVisible(archive);
    if (archive)
      controls_.related->setFixedHeight(static_cast<int>(results_layout::relatedGridShare * height()));
    controls_.results->applyColumnLayout();
    controls_.related->applyColumnLayout();
  }
  controls_.results->selectFirstRow();
}

void MainWindow::holdMinimumSize()
{
  const double dpi = screenDpi(this);
  const int width = std::max(this->width(), twips::toPixelsCovering(results_layout::minimumWindowWidth, dpi));
  const int height =
      std::max(this->height(), twips::toPixelsCovering(results_layout::minimumWindowHeight, dpi));
  if (width != this->width() || height != this->height()) resize(width, height);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
  QMainWindow::resizeEvent(event);
  layoutWindow();
}

void MainWindow::changeEvent(QEvent *event)
{
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) layoutWindow();
}

// --- tray icon -------------------------------------------------------------------------------

void MainWindow::applyTrayRule()
{
  if (controls_.tray == nullptr || services_.settings.text(SettingKey::Tray) != QStringLiteral("1")) return;
  if (isMinimized()) {
    // Without a tray the window stays on the task bar: nothing could bring it back otherwise.
    if (!controls_.tray->isAvailable()) return;
    controls_.tray->show();
    // Hidden once the minimising has finished: showing a minimised window would undo it.
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (isMinimized() && controls_.tray->isShown()) hide();
        },
        Qt::QueuedConnection);
  } else {
    controls_.tray->hide();
  }
}

void MainWindow::restoreFromTray()
{
  setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
  if (isHidden()) show();
  layoutWindow();
}

// --- pre-verification blink ------------------------------------------------------------------

void MainWindow::showPreVerifying(bool on)
{
  lblV_->setVisible(on);
  if (on) {
    // Red for a second first, then green for a fifth, in turn.
    QPalette colours = lblV_->palette();
    colours.setColor(QPalette::WindowText, flashRed);
    lblV_->setPalette(colours);
    timerFlash_->start(1000);
  } else {
    timerFlash_->stop();
  }
}

void MainWindow::flashTick()
{
  QPalette colours = lblV_->palette();
  const bool red = colours.color(QPalette::WindowText) == flashRed;
  colours.setColor(QPalette::WindowText, red ? flashGreen : flashRed);
  lblV_->setPalette(colours);
  timerFlash_->setInterval(red ? 200 : 1000);
}

// --- closing ---------------------------------------------------------------------------------

void MainWindow::registerSideWindow(QWidget *window)
{
  if (window != nullptr) sideWindows_ << QPointer<QWidget>(window);
}

void MainWindow::closeSideWindows()
{
  const QList<QPointer<QWidget>> windows = sideWindows_;
  for (const QPointer<QWidget> &window : windows) {
    if (!window.isNull()) window->close();
  }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
  event->accept();
  if (unloading_) return;
  unloading_ = true;
  emit searchStopRequested();
  emit stopRequested();
  timerFlash_->stop();
  closeSideWindows();
  saveOnExit();
  controls_.tray->hide();
}

void MainWindow::saveOnExit()
{
  // A start that never completed has nothing of its own to save; the stored values stay.
  if (!started_) return;
  SettingsStore &store = services_.settings;
  const TwipsRect normal = normalGeometryTwips(*this);
  store.setTwips(SettingKey::Top, static_cast<float>(normal.top));
  store.setTwips(SettingKey::Left, static_cast<float>(normal.left));
  store.setTwips(SettingKey::Width, static_cast<float>(normal.width));
  store.setTwips(SettingKey::Height, static_cast<float>(normal.height));
  store.setText(SettingKey::ProxyHost, setup_.proxyHost);
  store.setText(SettingKey::ProxyPort, QString::number(setup_.proxyPort));
  SaveSettings();
}

void MainWindow::SaveSettings()
{
  SettingsStore &store = services_.settings;
  store.setTruth(SettingKey::OptLive, optLive_->isChecked());
  store.setTruth(SettingKey::OptArch, optArch_->isChecked());
  store.setTruth(SettingKey::OptLib, optLib_->isChecked());
  store.setText(SettingKey::LastSearch, searchText());
}

}  // namespace tessivar
