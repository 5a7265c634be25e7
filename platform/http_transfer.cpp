#include "platform/http_transfer.h"

namespace tessivar {

HttpTransfer::HttpTransfer(QObject *parent) : QObject(parent) {}

HttpTransfer::~HttpTransfer() = default;

bool HttpTransfer::isIdle() const
{
  return !isBusy();
}

}  // namespace tessivar
