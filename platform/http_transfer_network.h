#pragma once

#include "platform/http_transfer.h"
#include "platform/http_transfer_headers.h"

#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QTimer;

namespace tessivar {

// HttpTransfer over QNetworkAccessManager. Requests go through the manager's proxy; one with no
// host or no port fails them. Destroying a busy object abandons its
// transfer without delivering further events (waitForFinished() then reports Cancelled).
class NetworkHttpTransfer final : public HttpTransfer
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(NetworkHttpTransfer)

 public:
  // A transfer over a manager of its own, without a proxy.
  explicit NetworkHttpTransfer(QObject *parent = nullptr);
  // A transfer over a shared manager, which must outlive it.
  NetworkHttpTransfer(QNetworkAccessManager *manager, QObject *parent);
  ~NetworkHttpTransfer() override;

  quint64 requestDocument(const QString &address, const QByteArray &extraHeaderLines = {}) override;
  [[nodiscard]] bool isBusy() const override;
  [[nodiscard]] QString connectionStateText() const override;
  [[nodiscard]] QString protocolStateText() const override;
  void cancel() override;
  void setTimeout(std::chrono::milliseconds timeout) override;
  void setFollowRedirects(bool follow) override;
  [[nodiscard]] QByteArray responseHeaders() const override;
  [[nodiscard]] TransferOutcome lastOutcome() const override;

 private:
  enum class Phase { Idle, Requesting, Receiving };
  struct Problem
  {
    int number = 0;
    QString details;
  };

  [[nodiscard]] Problem checkRequest(const QString &address, const QByteArray &extraHeaderLines,
                                     QNetworkRequest *request) const;
  void startReply(const QNetworkRequest &request);
  void failSoon(const Problem &problem);
  void onMetaDataChanged();
  void onReadyRead();
  void onFinished();
  void onTimeout();
  bool beginDocument();
  bool deliverData();
  void dropReply();
  void finish(TransferOutcome::Kind kind, int errorNumber, const QString &details);
  [[nodiscard]] bool stillRunning(quint64 serial, const QPointer<NetworkHttpTransfer> &self) const;
  void restartTimeout();

  QNetworkAccessManager *manager_ = nullptr;
  QTimer *timeoutTimer_ = nullptr;
  QPointer<QNetworkReply> reply_;
  Phase phase_ = Phase::Idle;
  quint64 serial_ = 0;
  bool begun_ = false;
  int httpStatus_ = 0;
  qint64 bodyBytes_ = 0;  // body bytes delivered for the current transfer
  QByteArray headers_;
  TransferOutcome last_;
  std::chrono::milliseconds timeout_{0};
  bool followRedirects_ = false;
};

}  // namespace tessivar
