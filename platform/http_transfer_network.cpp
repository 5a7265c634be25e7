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

NetworkHttpTransfer::NetworkHttpTransfer(QObject *parent)
    : HttpTransfer(parent),
      m_manager(new QNetworkAccessManager(this)),
      m_timeoutTimer(new QTimer(this))
{
  m_manager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
  m_timeoutTimer->setSingleShot(true);
  connect(m_timeoutTimer, &QTimer::timeout, this, &NetworkHttpTransfer::onTimeout);
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
    replaced = {TransferOutcome::Kind::Cancelled, 0, m_httpStatus, m_serial};
  }

  const QString before = connectionStateText();
  const quint64 id = ++m_serial;
  m_phase = Phase::Requesting;
  m_begun = false;
  m_httpStatus = 0;
  m_bodyBytes = 0;
  m_headers.clear();

  QNetworkRequest request;
  const Problem problem = checkRequest(address, extraHeaderLines, &request);
  if (problem.number != 0)
    failSoon(problem);
  else
    startReply(request);

  QPointer<NetworkHttpTransfer> self(this);
  if (replacing) {
    m_last = replaced;
    emit finishedAny(replaced);
    if (!self)
      return id;
  }
  if (m_serial == id && connectionStateText() != before)
    emit stateChanged();
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
  if (!headers)
    return {transfer_error::InvalidHeader, QStringLiteral("Malformed request header line")};

  if (m_proxyEnabled && (m_proxyHost.trimmed().isEmpty() || m_proxyPort < 1 || m_proxyPort > 65535)) {
    return {transfer_error::CannotConnect,
            QStringLiteral("Unusable proxy %1:%2").arg(m_proxyHost).arg(m_proxyPort)};
  }

  request->setUrl(url);
  request->setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                        m_followRedirects ? QNetworkRequest::NoLessSafeRedirectPolicy
                                          : QNetworkRequest::ManualRedirectPolicy);
  request->setHeader(QNetworkRequest::UserAgentHeader, kUserAgent);
  for (const auto &[name, value] : *headers)
    request->setRawHeader(name, value);
  return {};
}

void NetworkHttpTransfer::startReply(const QNetworkRequest &request)
{
  if (m_proxyEnabled) {
    m_manager->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, m_proxyHost.trimmed(),
                                      static_cast<quint16>(m_proxyPort)));
  } else {
    m_manager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
  }
  QNetworkReply *reply = m_manager->get(request);
  m_reply = reply;
  connect(reply, &QNetworkReply::metaDataChanged, this, &NetworkHttpTransfer::onMetaDataChanged);
  connect(reply, &QNetworkReply::readyRead, this, &NetworkHttpTransfer::onReadyRead);
  connect(reply, &QNetworkReply::finished, this, &NetworkHttpTransfer::onFinished);
  restartTimeout();
}

void NetworkHttpTransfer::failSoon(const Problem &problem)
{
  // Reported from the event loop, like every other outcome, so the caller's wait sees it.
  const quint64 serial = m_serial;
  QTimer::singleShot(0, this, [this, serial, problem] {
    if (m_serial == serial && isBusy())
      finish(TransferOutcome::Kind::Failed, problem.number, problem.details);
  });
}

bool NetworkHttpTransfer::isBusy() const
{
  return m_phase != Phase::Idle;
}

QString NetworkHttpTransfer::connectionStateText() const
{
  switch (m_phase) {
  case Phase::Idle: return QStringLiteral("Disconnected");
  case Phase::Requesting: return QStringLiteral("Connecting");
  case Phase::Receiving: return QStringLiteral("Connected");
  }
  return QStringLiteral("Disconnected");
}

QString NetworkHttpTransfer::protocolStateText() const
{
  switch (m_phase) {
  case Phase::Idle: return QStringLiteral("Base");
  case Phase::Requesting: return QStringLiteral("Requesting");
  case Phase::Receiving: return QStringLiteral("Receiving");
  }
  return QStringLiteral("Base");
}

void NetworkHttpTransfer::cancel()
{
  if (!isBusy())
    return;
  dropReply();
  finish(TransferOutcome::Kind::Cancelled, 0, {});
}

void NetworkHttpTransfer::setProxy(bool enabled, const QString &host, int port)
{
  m_proxyEnabled = enabled;
  m_proxyHost = host;
  m_proxyPort = port;
}

void NetworkHttpTransfer::setTimeout(std::chrono::milliseconds timeout)
{
  m_timeout = timeout.count() > 0 ? timeout : std::chrono::milliseconds{0};
  if (isBusy())
    restartTimeout();
}

void NetworkHttpTransfer::setFollowRedirects(bool follow)
{
  m_followRedirects = follow;
}

QByteArray NetworkHttpTransfer::responseHeaders() const
{
  return m_headers;
}

TransferOutcome NetworkHttpTransfer::lastOutcome() const
{
  return m_last;
}

bool NetworkHttpTransfer::stillRunning(quint64 serial, const QPointer<NetworkHttpTransfer> &self) const
{
  return self && m_serial == serial && isBusy();
}

void NetworkHttpTransfer::restartTimeout()
{
  if (m_timeout.count() > 0)
    m_timeoutTimer->start(m_timeout);
  else
    m_timeoutTimer->stop();
}

void NetworkHttpTransfer::onMetaDataChanged()
{
  if (sender() != m_reply)
    return;
  beginDocument();
}

// Takes the answer's status and headers and, the first time, delivers Begin and Headers.
// Returns false when a handler ended or replaced the transfer.
bool NetworkHttpTransfer::beginDocument()
{
  const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (!status.isValid())
    return true;
  m_httpStatus = status.toInt();
  m_headers = rawHeaderBlock(m_httpStatus,
                             m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray(),
                             m_reply->rawHeaderPairs(),
                             m_reply->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool());
  restartTimeout();
  if (m_begun)
    return true;
  m_begun = true;
  m_phase = Phase::Receiving;

  const quint64 serial = m_serial;
  QPointer<NetworkHttpTransfer> self(this);
  emit stateChanged();
  if (!stillRunning(serial, self))
    return false;
  emit documentOutput(DocumentState::Begin, {});
  if (!stillRunning(serial, self))
    return false;
  emit documentOutput(DocumentState::Headers, {});
  return stillRunning(serial, self);
}

void NetworkHttpTransfer::onReadyRead()
{
  if (sender() != m_reply)
    return;
  deliverData();
}

// Delivers what has arrived as one block. Returns false when a handler ended or replaced the
// transfer.
bool NetworkHttpTransfer::deliverData()
{
  if (!m_begun && !beginDocument())
    return false;
  const QByteArray block = m_reply->readAll();
  if (block.isEmpty())
    return true;
  restartTimeout();
  m_bodyBytes += block.size();
  const quint64 serial = m_serial;
  QPointer<NetworkHttpTransfer> self(this);
  emit documentOutput(DocumentState::Data, block);
  return stillRunning(serial, self);
}

namespace {

// True when the answer announced a plain (not re-encoded) body length that did not arrive whole.
bool endedShort(const QNetworkReply &reply, qint64 bodyBytes)
{
  if (!reply.rawHeader("Content-Encoding").isEmpty())
    return false;
  bool ok = false;
  const qint64 announced = reply.header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
  return ok && bodyBytes < announced;
}

}  // namespace

void NetworkHttpTransfer::onFinished()
{
  if (sender() != m_reply)
    return;
  if (!deliverData())
    return;
  QNetworkReply::NetworkError error = m_reply->error();
  QString details = m_reply->errorString();
  if (error == QNetworkReply::NoError && endedShort(*m_reply, m_bodyBytes)) {
    // The server closed the connection before the whole announced body arrived: a dropped
    // connection, not a finished page.
    error = QNetworkReply::RemoteHostClosedError;
    details = QStringLiteral("Connection closed after %1 of the announced bytes").arg(m_bodyBytes);
  }
  dropReply();
  // An answer with an error status (404, 403, 500...) is still a document: its page goes to the
  // caller, which recognises error pages by their text.
  if (error == QNetworkReply::NoError || (m_httpStatus > 0 && transfer_error::isHttpStatusError(error)))
    finish(TransferOutcome::Kind::Completed, 0, {});
  else
    finish(TransferOutcome::Kind::Failed, transfer_error::numberFor(error), details);
}

void NetworkHttpTransfer::onTimeout()
{
  if (!isBusy())
    return;
  dropReply();
  finish(TransferOutcome::Kind::Failed, transfer_error::TimedOut,
         QStringLiteral("No answer within %1 ms").arg(m_timeout.count()));
}

void NetworkHttpTransfer::dropReply()
{
  m_timeoutTimer->stop();
  if (!m_reply)
    return;
  QNetworkReply *reply = m_reply;
  m_reply = nullptr;
  disconnect(reply, nullptr, this, nullptr);
  if (reply->isRunning())
    reply->abort();
  reply->deleteLater();
}

// Ends the current transfer: the object is idle before the closing events go out. A handler
// may start the next request from any of them; the events after that point belong to the old
// transfer and are skipped, except finishedAny, which every transfer gets exactly once.
void NetworkHttpTransfer::finish(TransferOutcome::Kind kind, int errorNumber, const QString &details)
{
  m_phase = Phase::Idle;
  m_timeoutTimer->stop();
  const TransferOutcome outcome{kind, errorNumber, m_httpStatus, m_serial};
  m_last = outcome;

  const quint64 serial = m_serial;
  QPointer<NetworkHttpTransfer> self(this);
  const auto unchanged = [&] { return self && m_serial == serial; };

  if (kind == TransferOutcome::Kind::Completed)
    emit documentOutput(DocumentState::End, {});
  else if (kind == TransferOutcome::Kind::Failed && m_begun)
    emit documentOutput(DocumentState::Error, {});
  if (kind == TransferOutcome::Kind::Failed && unchanged())
    emit errorOccurred(errorNumber, details);
  if (unchanged())
    emit stateChanged();
  if (self)
    emit finishedAny(outcome);
}

}  // namespace tessivar
