#pragma once

#include <QObject>

class QNetworkAccessManager;

namespace tessivar {

class HttpTransfer;

// Makes the HTTP transfers of the windows that need one (the main window, discovery, the
// scanner, sign-up). Tests hand in transfers of their own through it.
class TransferFactory
{
 public:
  virtual ~TransferFactory() = default;
  // A new idle transfer, owned by parent.
  virtual HttpTransfer *makeTransfer(QObject *parent) = 0;
};

// Network transfers that share one QNetworkAccessManager (one connection cache, one cookie jar).
class NetworkTransferFactory final : public TransferFactory
{
 public:
  NetworkTransferFactory();
  ~NetworkTransferFactory() override;
  NetworkTransferFactory(const NetworkTransferFactory &) = delete;
  NetworkTransferFactory &operator=(const NetworkTransferFactory &) = delete;

  HttpTransfer *makeTransfer(QObject *parent) override;

 private:
  QNetworkAccessManager *manager_;
};

}  // namespace tessivar
