#include "platform/transfer_factory.h"

#include "platform/http_transfer_network.h"

#include <QNetworkAccessManager>

namespace tessivar {

NetworkTransferFactory::NetworkTransferFactory() : manager_(new QNetworkAccessManager) {}

NetworkTransferFactory::~NetworkTransferFactory()
{
  delete manager_;
}

HttpTransfer *NetworkTransferFactory::makeTransfer(QObject *parent)
{
  return new NetworkHttpTransfer(manager_, parent);
}

}  // namespace tessivar
