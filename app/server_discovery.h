#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <qcoro/qcorotask.h>

#include <coroutine>
#include <functional>

class QTimer;

namespace tessivar {

class HttpTransfer;
class Prompter;
class SettingsStore;
class TransferFactory;

// The data server's host from the redirect page's text: the text before the first "<", then
// before the first ":", without surrounding blanks. Empty when the text holds no "<".
QString hostFromRedirectReply(const QString &reply);
// "http://" + site host + "/redirect35.asp".
QString redirectAddress(const QString &siteHost);
// "http://" + data server + "/reg.asp?VER=1&P=" + product code + "&V=" + version.
QString versionAddress(const QString &dataServer);

// The hidden discovery window frmClientReg: finds the data server (the stored "LastQueryServer", or
// the maker's redirect page) and asks it whether this version is still supported. It owns its
// transfer (made by the given factory) and the one-second Timer3 that counts the waits' seconds.
class ServerDiscovery final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ServerDiscovery)

 public:
  static constexpr int discoverySeconds = 60;
  static constexpr int versionSeconds = 45;
  // Empty version replies in a row before the stored host is dropped and discovery runs again.
  static constexpr int versionRetryLimit = 3;

  ServerDiscovery(SettingsStore &store, Prompter &prompter, TransferFactory &transfers,
                  QObject *parent = nullptr);
  ~ServerDiscovery() override;

  // Shows the setup dialog modally on its proxy tab; called when the user asks to configure a
  // proxy in the failure dialogue. Without it, that answer goes straight to the next attempt.
  std::function<void()> configureProxy;

  // Discovery and version check. The result is the data server's host; empty when none was found,
  // the user gave up, or the version is out of date.
  QCoro::Task<QString> getServerInfo();

  QString dataServer() const { return dataServer_; }
  int secondsWaited() const { return secondsWaited_; }
  HttpTransfer &transfer() { return *http_; }
  QTimer *timer3() const { return timer3_; }

 public slots:
  // Timer3's tick: one more second waited.
  void onTimer3();

 signals:
  // A status text for the splash window ("Finding Data Servers...", "Done", "Checking Version...").
  void statusChanged(const QString &text);
  // Something a wait watches has changed (a reply block, its end, an error, a second).
  void progressed();

 private:
  enum class Next { Retry, GiveUp };
  // Suspends a wait until the next progress; resumed from the event loop.
  struct ProgressAwaiter
  {
    ServerDiscovery *reg;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiting) noexcept { reg->waiting_ = waiting; }
    void await_resume() const noexcept {}
  };

  void notifyProgress();

  QCoro::Task<> waitForReply(int seconds);
  void startRequest(const QString &address);
  void cancelUnlessIdle();
  void applyProxy();
  QCoro::Task<bool> showStatus(const QString &text);
  Next failureDialogue();
  void reportOutdated();
  QString replyText() const;

  SettingsStore &store_;
  Prompter &prompter_;
  TransferFactory &transfers_;
  HttpTransfer *http_ = nullptr;
  QTimer *timer3_ = nullptr;
  QString dataServer_;
  QByteArray reply_;
  bool replyDone_ = false;
  int transferError_ = 0;
  int secondsWaited_ = 0;
  std::coroutine_handle<> waiting_;
};

}  // namespace tessivar
