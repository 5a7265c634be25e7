#pragma once

#include "platform/app_services.h"

#include <QMainWindow>

class QAction;

namespace tessivar {

class WebView;

// frmWeb, "Website": a small browser window for a station's or clip's web site. Its place and size
// are kept in "WTop", "WLeft", "WWidth", "WHeight" (twips); it is never smaller than 3885 × 3000
// twips, and its browser area WB1 is 110 twips narrower and 700 twips lower than the window. It
// shows http and https pages only; pages in it open no new windows and start no downloads.
// "Launch My Browser" hands the page shown to the user's own browser. The screen's busy pointer
// that a navigation sets goes back when the page has loaded, failed or the window closes.
class WebWindow final : public QMainWindow
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(WebWindow)

 public:
  explicit WebWindow(const AppServices &services, QWidget *parent = nullptr);
  ~WebWindow() override;

  // lURL becomes the address and WB1 goes to it, with the busy pointer until it has loaded. An
  // address that is not http or https is refused: false, and nothing changes.
  bool navigate(const QString &address);
  // The address a caller last asked for.
  QString lURL() const { return lURL_; }
  // The address of the page WB1 shows (lURL while it has none).
  QString shownAddress() const;
  // Whether the browser engine could be started; without it WB1 only says so.
  bool hasEngine() const { return view_ != nullptr; }
  bool isLoading() const { return busy_; }
  // "Launch My Browser".
  void launchBrowser();

 signals:
  void navigationCompleted(bool ok);
  // The busy pointer went on or off (callers mirror it on their own controls).
  void busyChanged(bool busy);

 protected:
  void closeEvent(QCloseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  void loadPlace();
  void placeBrowser();
  void setBusy(bool busy);
  void onLoadEnded(bool ok);

  AppServices services_;
  WebView *view_ = nullptr;
  QWidget *area_ = nullptr;
  QWidget *WB1 = nullptr;
  QAction *menuLaunch = nullptr;
  QString lURL_;
  bool busy_ = false;
};

}  // namespace tessivar
