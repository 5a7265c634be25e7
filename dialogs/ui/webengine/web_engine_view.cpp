// The web engine module: Qt WebEngine behind the WebView interface. Built as a module of its own
// so that the program loads the engine only when its web window is first needed.
#include "dialogs/ui/web_view.h"

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <memory>

QT_BEGIN_NAMESPACE
// QtGui's global share context, through which the engine draws. A program linked against the
// engine gets it when its application object starts; a program that loads the engine later, as
// this one does, has to make it before the first view.
Q_GUI_EXPORT QOpenGLContext *qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

namespace tessivar {

namespace {

void prepareSharedContext()
{
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  if (qt_gl_global_share_context() != nullptr) return;
  // As the application object does: the context is set also when it cannot be made (no OpenGL,
  // as on the offscreen platform); the engine then draws in software.
  auto *share = new QOpenGLContext(QCoreApplication::instance());
  share->create();
  qt_gl_set_global_share_context(share);
}

// A page that asks the owner before every navigation and opens no windows of its own.
class GuardedPage final : public QWebEnginePage
{
 public:
  GuardedPage(QWebEngineProfile *profile, std::shared_ptr<const WebView::Callbacks> callbacks,
              QObject *parent)
      : QWebEnginePage(profile, parent), callbacks_(std::move(callbacks))
  {
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
              setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
  }

 protected:
  bool acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame) override
  {
    return callbacks_->allowNavigation && callbacks_->allowNavigation(url, isMainFrame);
  }

  // Pop-ups and links that ask for a new window open nothing.
  QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

 private:
  std::shared_ptr<const WebView::Callbacks> callbacks_;
};

class EngineView final : public QWebEngineView, public WebView
{
 public:
  explicit EngineView(QWidget *parent) : QWebEngineView(parent)
  {
    QWebEngineProfile *profile = QWebEngineProfile::defaultProfile();
    // Pages start no downloads: every request is turned down.
    static const bool downloadsRefused = [profile] {
      QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                       [](QWebEngineDownloadRequest *download) { download->cancel(); });
      return true;
    }();
    Q_UNUSED(downloadsRefused);
    // The page and the view's own handlers share the callbacks, whichever of them goes first.
    setPage(new GuardedPage(profile, callbacks_, this));
    connect(this, &QWebEngineView::loadFinished, this, [callbacks = callbacks_](bool ok) {
      if (callbacks->loadEnded) callbacks->loadEnded(ok);
    });
  }

  QWidget *widget() override { return this; }
  void setCallbacks(Callbacks callbacks) override { *callbacks_ = std::move(callbacks); }
  void navigate(const QUrl &address) override { load(address); }
  QUrl shownAddress() const override { return url(); }
  void stop() override { QWebEngineView::stop(); }

 private:
  std::shared_ptr<Callbacks> callbacks_ = std::make_shared<Callbacks>();
};

}  // namespace

}  // namespace tessivar

extern "C" Q_DECL_EXPORT tessivar::WebView *tessivar_make_web_view(QWidget *parent)
{
  tessivar::prepareSharedContext();
  return new tessivar::EngineView(parent);
}
