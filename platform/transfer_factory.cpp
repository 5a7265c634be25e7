#include "platform/transfer_factory.h"

#include "platform/http_transfer_network.h"
#include "platform/proxy_setting.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>

namespace tessivar {

NetworkTransferFactory::NetworkTransferFactory() : manager_(new QNetworkAccessManager)
{
  useProxy(ProxySetting{});
}

NetworkTransferFactory::~NetworkTransferFactory()
{
  delete manager_;
}

HttpTransfer *NetworkTransferFactory::makeTransfer(QObject *parent)
{
  return new NetworkHttpTransfer(manager_, parent);
}

void NetworkTransferFactory::useProxy(const ProxySetting &proxy)
{
  if (!proxy.enabled) {
    manager_->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    return;
  }
  // An unusable port is kept as no port: the transfers refuse to go through such a proxy.
  const bool portUsable = proxy.port >= 1 && proxy.port <= 65535;
  manager_->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, proxy.host.trimmed(),
                                   portUsable ? static_cast<quint16>(proxy.port) : 0));
}

}  // namespace tessivar
