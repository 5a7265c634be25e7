#include "dialogs/ui/web_window.h"

#include "base/settings_store.h"
#include "base/twips.h"
#include "dialogs/ui/web_view.h"
#include "dialogs/ui/web_view_loader.h"
#include "dialogs/ui/window_twips.h"
#include "dialogs/web_window_geometry.h"
#include "platform/shell_open.h"
#include "platform/ui/screen_dpi.h"
#include "platform/web_address.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace tessivar {

WebWindow::WebWindow(const AppServices &services, QWidget *parent) : QMainWindow(parent), services_(services)
{
  setObjectName(QStringLiteral("frmWeb"));
  setWindowTitle(QStringLiteral("Website"));
  // The preview shows beside the main window; the results grid keeps the keyboard.
  setAttribute(Qt::WA_ShowWithoutActivating);

  menuLaunch = menuBar()->addAction(QStringLiteral("Launch My Browser"));
  menuLaunch->setObjectName(QStringLiteral("menuLaunch"));
  connect(menuLaunch, &QAction::triggered, this, &WebWindow::launchBrowser);

  area_ = new QWidget(this);
  area_->setObjectName(QStringLiteral("browserArea"));
  setCentralWidget(area_);
  view_ = makeWebView(area_);
  if (view_ != nullptr) {
    WB1 = view_->widget();
    view_->setCallbacks(
        {[](const QUrl &address, bool mainFrame) { return pageMayNavigate(address, mainFrame); },
         [this](bool ok) { onLoadEnded(ok); }});
  } else {
    auto *note =
        new QLabel(QStringLiteral("The built-in browser is not available here. Use \"Launch My Browser\" "
                                  "to see this page in your own web browser."),
                   area_);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignCenter);
    WB1 = note;
  }
  WB1->setObjectName(QStringLiteral("WB1"));
  WB1->setAccessibleName(QStringLiteral("WB1"));
  loadPlace();
}

WebWindow::~WebWindow()
{
  // The view goes with the window: it must not report back into a window being taken apart.
  if (view_ != nullptr) view_->setCallbacks({});
  if (busy_) QGuiApplication::restoreOverrideCursor();
}

void WebWindow::loadPlace()
{
  const double dpi = screenDpi(parentWidget() != nullptr ? parentWidget() : this);
  const QScreen *screen =
      parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  const QRectF screenTwips =
      screen != nullptr ? window_twips::fromPixels(screen->availableGeometry(), dpi) : QRectF();
  setMinimumSize(twips::toPixelsCovering(web_window::leastWidth, dpi),
                 twips::toPixelsCovering(web_window::leastHeight, dpi));
  setGeometry(window_twips::toPixels(web_window::placeAtLoad(services_.settings, screenTwips), dpi));
  placeBrowser();
}

void WebWindow::placeBrowser()
{
  const double dpi = screenDpi(this);
  const QSizeF window(twips::fromPixels(width(), dpi), twips::fromPixels(height(), dpi));
  const QSizeF area = web_window::browserArea(window);
  WB1->setGeometry(0, 0, twips::toPixels(area.width(), dpi), twips::toPixels(area.height(), dpi));
}

void WebWindow::resizeEvent(QResizeEvent *event)
{
  QMainWindow::resizeEvent(event);
  if (isMinimized()) return;
  // The least size holds (the window's minimum size keeps it; a screen change may not have yet).
  const double dpi = screenDpi(this);
  const QSize least(twips::toPixelsCovering(web_window::leastWidth, dpi),
                    twips::toPixelsCovering(web_window::leastHeight, dpi));
  if (minimumSize() != least) setMinimumSize(least);
  if (width() < least.width() || height() < least.height()) {
    resize(std::max(width(), least.width()), std::max(height(), least.height()));
    return;
  }
  placeBrowser();
}

bool WebWindow::navigate(const QString &address)
{
  const QUrl url = webAddress(address);
  if (!url.isValid()) return false;
  lURL_ = address;
  setBusy(true);
  if (view_ != nullptr) {
    view_->navigate(url);
  } else {
    QTimer::singleShot(0, this, [this] { onLoadEnded(false); });
  }
  return true;
}

QString WebWindow::shownAddress() const
{
  if (view_ != nullptr) {
    const QUrl shown = view_->shownAddress();
    if (!shown.isEmpty()) return shown.toString();
  }
  return lURL_;
}

void WebWindow::onLoadEnded(bool ok)
{
  setBusy(false);
  emit navigationCompleted(ok);
}

void WebWindow::launchBrowser()
{
  // Only a web page goes to the user's browser, never a file or another program's link.
  const QUrl address = webAddress(shownAddress());
  if (address.isValid()) shellOpen(services_.shell, services_.prompter, address.toString());
}

void WebWindow::setBusy(bool busy)
{
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
  emit busyChanged(busy);
}

void WebWindow::closeEvent(QCloseEvent *event)
{
  if (view_ != nullptr) view_->stop();
  setBusy(false);
  // The normal place is kept, also for a window closed while minimised or maximised.
  const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
  web_window::storePlace(services_.settings, window_twips::fromPixels(normal, screenDpi(this)));
  QMainWindow::closeEvent(event);
}

}  // namespace tessivar
