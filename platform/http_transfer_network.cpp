#include "platform/http_transfer_network.h"

#include "platform/transfer_errors.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace tessivar {

namespace {

const QByteArray kUserAgent = QByteArrayLiteral("Tessivar/" TESSIVAR_VERSION_TEXT);

}  // namespace

NetworkHttpTransfer::NetworkHttpTransfer(QObject *parent) : NetworkHttpTransfer(nullptr, parent)
{
  manager_->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
}

NetworkHttpTransfer::NetworkHttpTransfer(QNetworkAccessManager *manager, QObject *parent)
    : HttpTransfer(parent),
      manager_(manager != nullptr ? manager : new QNetworkAccessManager(this)),
      timeoutTimer_(new QTimer(this))
{
  timeoutTimer_->setSingleShot(true);
  connect(timeoutTimer_, &QTimer::timeout, this, &NetworkHttpTransfer::onTimeout);
}

NetworkHttpTransfer::~NetworkHttpTransfer()
{
  dropReply();
}

quint64 NetworkHttpTransfer::requestDocument(const QString &address, const QByteArray &extraHeaderLines)
{
  // A newer request replaces a running one; the old one ends as cancelled, silently otherwise.
  const bool replacing = isBusy();
  TransferOutcome replaced;
  if (replacing) {
    dropReply();
    replaced = {TransferOutcome::Kind::Cancelled, 0, httpStatus_, serial_};
  }

  const QString before = connectionStateText();
  const quint64 id = ++serial_;
  phase_ = Phase::Requesting;
  begun_ = false;
  httpStatus_ = 0;
  bodyBytes_ = 0;
  headers_.clear();

  QNetworkRequest request;
  const Problem problem = checkRequest(address, extraHeaderLines, &request);
  if (problem.number != 0)
    failSoon(problem);
  else
    startReply(request);

  QPointer<NetworkHttpTransfer> self(this);
  if (replacing) {
    last_ = replaced;
    emit finishedAny(replaced);
    if (!self) return id;
  }
  if (serial_ == id && connectionStateText() != before) emit stateChanged();
  return id;
}

NetworkHttpTransfer::Problem NetworkHttpTransfer::checkRequest(const QString &address,
                                                               const QByteArray &extraHeaderLines,
                                                               QNetworkRequest *request) const
{
  const QUrl url(address.trimmed(), QUrl::TolerantMode);
  if (!url.isValid() || url.isRelative())
    return {transfer_error::InvalidUrl, QStringLiteral("Not an absolute address: %1").arg(address)};
  const QString scheme = url.scheme().toLower();
  if (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))
    return {transfer_error::UnrecognizedScheme, QStringLiteral("Unsupported scheme: %1").arg(scheme)};
  if (url.host().isEmpty())
    return {transfer_error::InvalidUrl, QStringLiteral("No host in address: %1").arg(address)};

  const auto headers = parseHeaderLines(extraHeaderLines);
  if (!headers) return {transfer_error::InvalidHeader, QStringLiteral("Malformed request header line")};

  if (const QNetworkProxy proxy = manager_->proxy();
      proxy.type() == QNetworkProxy::HttpProxy && (proxy.hostName().isEmpty() || proxy.port() == 0)) {
    return {transfer_error::CannotConnect,
            QStringLiteral("Unusable proxy %1:%2").arg(proxy.hostName()).arg(proxy.port())};
  }

  request->setUrl(url);
  request->setAttribute(
      QNetworkRequest::RedirectPolicyAttribute,
      followRedirects_ ? QNetworkRequest::NoLessSafeRedirectPolicy : QNetworkRequest::ManualRedirectPolicy);
  request->setHeader(QNetworkRequest::UserAgentHeader, kUserAgent);
  for (const auto &[name, value] : *headers) request->setRawHeader(name, value);
  return {};
}

void NetworkHttpTransfer::startReply(const QNetworkRequest &request)
{
  QNetworkReply *reply = manager_->get(request);
  reply_ = reply;
  connect(reply, &QNetworkReply::metaDataChanged, this, &NetworkHttpTransfer::onMetaDataChanged);
  connect(reply, &QNetworkReply::readyRead, this, &NetworkHttpTransfer::onReadyRead);
  connect(reply, &QNetworkReply::finished, this, &NetworkHttpTransfer::onFinished);
  restartTimeout();
}

void NetworkHttpTransfer::failSoon(const Problem &problem)
{
  // Reported from the event loop, like every other outcome, so the caller's wait sees it.
  const quint64 serial = serial_;
  QTimer::singleShot(0, this, [this, serial, problem] {
    if (serial_ == serial && isBusy()) finish(TransferOutcome::Kind::Failed, problem.number, problem.details);
  });
}

bool NetworkHttpTransfer::isBusy() const
{
  return phase_ != Phase::Idle;
}

QString NetworkHttpTransfer::connectionStateText() const
{
  switch (phase_) {
    case Phase::Idle:
      return QStringLiteral("Disconnected");
    case Phase::Requesting:
      return QStringLiteral("Connecting");
    case Phase::Receiving:
      return QStringLiteral("Connected");
  }
  return QStringLiteral("Disconnected");
}

QString NetworkHttpTransfer::protocolStateText() const
{
  switch (phase_) {
    case Phase::Idle:
      return QStringLiteral("Base");
    case Phase::Requesting:
      return QStringLiteral("Requesting");
    case Phase::Receiving:
      return QStringLiteral("Receiving");
  }
  return QStringLiteral("Base");
}

void NetworkHttpTransfer::cancel()
{
  if (!isBusy()) return;
  dropReply();
  finish(TransferOutcome::Kind::Cancelled, 0, {});
}

void NetworkHttpTransfer::setTimeout(std::chrono::milliseconds timeout)
{
  timeout_ = timeout.count() > 0 ? timeout : std::chrono::milliseconds{0};
  if (isBusy()) restartTimeout();
}

void NetworkHttpTransfer::setFollowRedirects(bool follow)
{
  followRedirects_ = follow;
}

QByteArray NetworkHttpTransfer::responseHeaders() const
{
  return headers_;
}

TransferOutcome NetworkHttpTransfer::lastOutcome() const
{
  return last_;
}

bool NetworkHttpTransfer::stillRunning(quint64 serial, const QPointer<NetworkHttpTransfer> &self) const
{
  return self && serial_ == serial && isBusy();
}

void NetworkHttpTransfer::restartTimeout()
{
  if (timeout_.count() > 0)
    timeoutTimer_->start(timeout_);
  else
    timeoutTimer_->stop();
}

void NetworkHttpTransfer::onMetaDataChanged()
{
  if (sender() != reply_) return;
  beginDocument();
}

// Takes the answer's status and headers and, the first time, delivers Begin and Headers.
// Returns false when a handler ended or replaced the transfer.
bool NetworkHttpTransfer::beginDocument()
{
  const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (!status.isValid()) return true;
  httpStatus_ = status.toInt();
  headers_ = rawHeaderBlock(
      httpStatus_, reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray(),
      reply_->rawHeaderPairs(), reply_->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool());
  restartTimeout();
  if (begun_) return true;
  begun_ = true;
  phase_ = Phase::Receiving;

  const quint64 serial = serial_;
  QPointer<NetworkHttpTransfer> self(this);
  emit stateChanged();
  if (!stillRunning(serial, self)) return false;
  emit documentOutput(DocumentState::Begin, {});
  if (!stillRunning(serial, self)) return false;
  emit documentOutput(DocumentState::Headers, {});
  return stillRunning(serial, self);
}

void NetworkHttpTransfer::onReadyRead()
{
  if (sender() != reply_) return;
  deliverData();
}

// Delivers what has arrived as one block. Returns false when a handler ended or replaced the
// transfer.
bool NetworkHttpTransfer::deliverData()
{
  if (!begun_ && !beginDocument()) return false;
  const QByteArray block = reply_->readAll();
  if (block.isEmpty()) return true;
  restartTimeout();
  bodyBytes_ += block.size();
  const quint64 serial = serial_;
  QPointer<NetworkHttpTransfer> self(this);
  emit documentOutput(DocumentState::Data, block);
  return stillRunning(serial, self);
}

namespace {

// True when the answer announced a plain (not re-encoded) body length that did not arrive whole.
bool endedShort(const QNetworkReply &reply, qint64 bodyBytes)
{
  if (!reply.rawHeader("Content-Encoding").isEmpty()) return false;
  bool ok = false;
  const qint64 announced = reply.header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
  return ok && bodyBytes < announced;
}

}  // namespace

void NetworkHttpTransfer::onFinished()
{
  if (sender() != reply_) return;
  if (!deliverData()) return;
  QNetworkReply::NetworkError error = reply_->error();
  QString details = reply_->errorString();
  if (error == QNetworkReply::NoError && endedShort(*reply_, bodyBytes_)) {
    // The server closed the connection before the whole announced body arrived: a dropped
    // connection, not a finished page.
    error = QNetworkReply::RemoteHostClosedError;
    details = QStringLiteral("Connection closed after %1 of the announced bytes").arg(bodyBytes_);
  }
  dropReply();
  // An answer with an error status (404, 403, 500...) is still a document: its page goes to the
  // caller, which recognises error pages by their text.
  if (error == QNetworkReply::NoError || (httpStatus_ > 0 && transfer_error::isHttpStatusError(error)))
    finish(TransferOutcome::Kind::Completed, 0, {});
  else
    finish(TransferOutcome::Kind::Failed, transfer_error::numberFor(error), details);
}

void NetworkHttpTransfer::onTimeout()
{
  if (!isBusy()) return;
  dropReply();
  finish(TransferOutcome::Kind::Failed, transfer_error::TimedOut,
         QStringLiteral("No answer within %1 ms").arg(timeout_.count()));
}

void NetworkHttpTransfer::dropReply()
{
  timeoutTimer_->stop();
  if (!reply_) return;
  QNetworkReply *reply = reply_;
  reply_ = nullptr;
  disconnect(reply, nullptr, this, nullptr);
  // Let go of the reply instead of aborting it: an answer that has arrived whole may have its own
  // end on its way (an error status comes as the reply's error), and aborting would end the reply
  // a second time. Deleting a reply that still runs stops its transfer.
  reply->deleteLater();
}

// Ends the current transfer: the object is idle before the closing events go out. A handler
// may start the next request from any of them; the events after that point belong to the old
// transfer and are skipped, except finishedAny, which every transfer gets exactly once.
void NetworkHttpTransfer::finish(TransferOutcome::Kind kind, int errorNumber, const QString &details)
{
  phase_ = Phase::Idle;
  timeoutTimer_->stop();
  const TransferOutcome outcome{kind, errorNumber, httpStatus_, serial_};
  last_ = outcome;

  const quint64 serial = serial_;
  QPointer<NetworkHttpTransfer> self(this);
  const auto unchanged = [&] { return self && serial_ == serial; };

  if (kind == TransferOutcome::Kind::Completed)
    emit documentOutput(DocumentState::End, {});
  else if (kind == TransferOutcome::Kind::Failed && begun_)
    emit documentOutput(DocumentState::Error, {});
  if (kind == TransferOutcome::Kind::Failed && unchanged()) emit errorOccurred(errorNumber, details);
  if (unchanged()) emit stateChanged();
  if (self) emit finishedAny(outcome);
}

}  // namespace tessivar
