#pragma once

#include <QUrl>

#include <functional>

class QWidget;

namespace tessivar {

// A browser view from the web engine module, which the program loads only when the web window is
// first needed. A plain interface (no signals), so the module needs nothing of the program but
// this header: the view tells its owner what happens through the callbacks.
class WebView
{
 public:
  struct Callbacks
  {
    // Whether a frame may go to the address (a link, a script, a redirect). Refused when unset.
    std::function<bool(const QUrl &address, bool mainFrame)> allowNavigation;
    // The page ended loading: shown (true), or failed, stopped or refused (false).
    std::function<void(bool ok)> loadEnded;
  };

  virtual ~WebView() = default;

  // The view's widget; the view lives as long as it (it is deleted with its parent).
  virtual QWidget *widget() = 0;
  virtual void setCallbacks(Callbacks callbacks) = 0;
  virtual void navigate(const QUrl &address) = 0;
  // The address of the page shown (empty before the first page).
  virtual QUrl shownAddress() const = 0;
  virtual void stop() = 0;
};

// The module's one entry point: makes a view, a child of parent. Pages in it open no new windows
// and start no downloads.
using MakeWebView = WebView *(*)(QWidget *parent);
inline constexpr const char *makeWebViewSymbol = "tessivar_make_web_view";

}  // namespace tessivar
