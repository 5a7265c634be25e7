#include "app/server_discovery.h"

#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "platform/http_transfer.h"
#include "platform/prompter.h"
#include "platform/proxy_setting.h"
#include "platform/transfer_factory.h"

#include <QPointer>
#include <QTimer>

#include <qcoro/qcorotimer.h>

#include <chrono>
#include <utility>

namespace tessivar {

namespace {

// A reply larger than this is not a host name or a version answer; the rest is not kept.
constexpr qsizetype replyLimit = 64 * 1024;

const QString versionOutdated = QStringLiteral("Version NO");

}  // namespace

QString hostFromRedirectReply(const QString &reply)
{
  const qsizetype markup = reply.indexOf(QLatin1Char('<'));
  if (markup < 0) return {};
  QString host = reply.left(markup);
  const qsizetype colon = host.indexOf(QLatin1Char(':'));
  if (colon >= 0) host.truncate(colon);
  return host.trimmed();
}

QString redirectAddress(const QString &siteHost)
{
  return QStringLiteral("http://") + siteHost + QStringLiteral("/redirect35.asp");
}

QString versionAddress(const QString &dataServer)
{
  return QStringLiteral("http://") + dataServer + QStringLiteral("/reg.asp?VER=1&P=") +
         product::productCode() + QStringLiteral("&V=") + product::version();
}

ServerDiscovery::ServerDiscovery(SettingsStore &store, Prompter &prompter, TransferFactory &transfers,
                                 QObject *parent)
    : QObject(parent), store_(store), prompter_(prompter), transfers_(transfers)
{
  setObjectName(QStringLiteral("frmClientReg"));
  http_ = transfers.makeTransfer(this);
  http_->setObjectName(QStringLiteral("HTTP1"));
  connect(http_, &HttpTransfer::documentOutput, this, [this](DocumentState state, const QByteArray &block) {
    if (state == DocumentState::Data) {
      reply_.append(block.left(replyLimit - reply_.size()));
    } else if (state == DocumentState::End) {
      replyDone_ = true;
    }
    notifyProgress();
  });
  connect(http_, &HttpTransfer::errorOccurred, this, [this](int number, const QString &) {
    transferError_ = number;
    notifyProgress();
  });

  timer3_ = new QTimer(this);
  timer3_->setObjectName(QStringLiteral("Timer3"));
  timer3_->setInterval(1000);
  connect(timer3_, &QTimer::timeout, this, &ServerDiscovery::onTimer3);
  timer3_->start();
}

ServerDiscovery::~ServerDiscovery() = default;

void ServerDiscovery::onTimer3()
{
  secondsWaited_ = secondsWaited_ >= 32767 ? 0 : secondsWaited_ + 1;
  notifyProgress();
}

void ServerDiscovery::notifyProgress()
{
  emit progressed();
  // Several events may arrive before the wait runs again; it is resumed once, from the event
  // loop, never inside a transfer's event. A wait whose window has gone is not resumed.
  if (!waiting_) return;
  const std::coroutine_handle<> waiting = std::exchange(waiting_, nullptr);
  QMetaObject::invokeMethod(
      this, [waiting] { waiting.resume(); }, Qt::QueuedConnection);
}

QString ServerDiscovery::replyText() const
{
  return QString::fromLatin1(reply_);
}

void ServerDiscovery::applyProxy()
{
  // The user may have set a proxy in the failure dialogue since the last attempt.
  transfers_.useProxy(storedProxy(store_));
}

void ServerDiscovery::startRequest(const QString &address)
{
  secondsWaited_ = 0;
  transferError_ = 0;
  replyDone_ = false;
  reply_.clear();
  http_->requestDocument(address);
}

void ServerDiscovery::cancelUnlessIdle()
{
  if (!http_->isIdle()) http_->cancel();
}

QCoro::Task<bool> ServerDiscovery::showStatus(const QString &text)
{
  QPointer<ServerDiscovery> self(this);
  emit statusChanged(text);
  // Let the splash paint the new text before the next step.
  co_await QCoro::sleepFor(std::chrono::milliseconds(0));
  co_return !self.isNull();
}

QCoro::Task<> ServerDiscovery::waitForReply(int seconds)
{
  // A window that goes away never resumes its wait.
  while (!replyDone_ && transferError_ == 0 && secondsWaited_ < seconds) co_await ProgressAwaiter{this};
}

ServerDiscovery::Next ServerDiscovery::failureDialogue()
{
  const QString title = product::applicationTitle();
  prompter_.ask(
      PromptIcon::None, title,
      QStringLiteral("Unable to contact data server, please be sure you are connected to the Internet."));
  if (prompter_.ask(
          PromptIcon::None, title,
          QStringLiteral("Click OK to retry, Cancel if you running a proxy server or would like to quit"),
          PromptButtons::OkCancel) == PromptAnswer::Ok) {
    return Next::Retry;
  }
  if (prompter_.ask(PromptIcon::None, title, QStringLiteral("Would you like to configure proxy information?"),
                    PromptButtons::YesNo) == PromptAnswer::Yes) {
    prompter_.ask(PromptIcon::Information, title, QStringLiteral("Please configure proxy information."));
    if (configureProxy) configureProxy();
    return Next::Retry;
  }
  prompter_.ask(PromptIcon::Critical, title,
                QStringLiteral("Program cannot continue, please contact ") + product::supportEmail() +
                    QStringLiteral(" for system status."));
  return Next::GiveUp;
}

void ServerDiscovery::reportOutdated()
{
  const QString title = product::applicationTitle();
  prompter_.ask(PromptIcon::Critical, title,
                QStringLiteral("This version is out of date and may not function correctly."));
  prompter_.ask(PromptIcon::Information, title,
                QStringLiteral("Please visit http://") + store_.siteHost() +
                    QStringLiteral(" for the newest version."));
}

QCoro::Task<QString> ServerDiscovery::getServerInfo()
{
  QPointer<ServerDiscovery> self(this);
  int emptyVersionReplies = 0;
  bool rediscovered = false;

  for (;;) {
    // The waits below keep their own time; the transfer gives pages as they are.
    http_->setTimeout(std::chrono::milliseconds(0));
    http_->setFollowRedirects(false);
    applyProxy();
    if (!co_await showStatus(QStringLiteral("Finding Data Servers..."))) co_return {};

    dataServer_ = store_.text(SettingKey::LastQueryServer);
    if (dataServer_.isEmpty()) {
      startRequest(redirectAddress(store_.siteHost()));
      co_await waitForReply(discoverySeconds);
      cancelUnlessIdle();
      dataServer_ = hostFromRedirectReply(replyText());
    }
    emit statusChanged(QStringLiteral("Done"));

    if (dataServer_.isEmpty()) {
      if (failureDialogue() == Next::GiveUp) co_return {};
      emptyVersionReplies = 0;
      rediscovered = false;
      continue;
    }
    store_.setText(SettingKey::LastQueryServer, dataServer_);

    if (!co_await showStatus(QStringLiteral("Checking Version..."))) co_return {};
    startRequest(versionAddress(dataServer_));
    co_await waitForReply(versionSeconds);
    cancelUnlessIdle();

    const QString reply = replyText();
    if (reply.isEmpty()) {
      if (++emptyVersionReplies < versionRetryLimit) continue;
      emptyVersionReplies = 0;
      if (!rediscovered) {
        // The stored host may be gone for good: ask the maker's site once more.
        rediscovered = true;
        store_.setText(SettingKey::LastQueryServer, QString());
        continue;
      }
      dataServer_.clear();
      if (failureDialogue() == Next::GiveUp) co_return {};
      rediscovered = false;
      continue;
    }
    if (reply == versionOutdated) {
      reportOutdated();
      dataServer_.clear();
      co_return {};
    }
    co_return dataServer_;
  }
}

}  // namespace tessivar
