#pragma once

#include <QObject>

class QNetworkAccessManager;

namespace tessivar {

class HttpTransfer;
struct ProxySetting;

// Makes the HTTP transfers of the parts that need one (the search, discovery, the scanner,
// sign-up, pre-verification, the player launch) and owns the program's proxy: every transfer it
// makes goes through the proxy in use, and nobody else sets one.
class TransferFactory
{
 public:
  virtual ~TransferFactory() = default;
  // A new idle transfer over the program's proxy, owned by parent.
  virtual HttpTransfer *makeTransfer(QObject *parent) = 0;
  // The program's proxy from now on, for the transfers made so far and those made later.
  virtual void useProxy(const ProxySetting &proxy) = 0;
};

// Network transfers that share one QNetworkAccessManager (one connection cache, one cookie jar,
// one proxy). No proxy until useProxy; the desktop's proxy settings are never used.
class NetworkTransferFactory final : public TransferFactory
{
 public:
  NetworkTransferFactory();
  ~NetworkTransferFactory() override;
  NetworkTransferFactory(const NetworkTransferFactory &) = delete;
  NetworkTransferFactory &operator=(const NetworkTransferFactory &) = delete;

  HttpTransfer *makeTransfer(QObject *parent) override;
  void useProxy(const ProxySetting &proxy) override;

 private:
  QNetworkAccessManager *manager_;
};

}  // namespace tessivar
