#pragma once

#include "platform/http_transfer.h"

#include <qcoro/qcorotask.h>

namespace tessivar {

// Awaits the end of the transfer that is running on `transfer` now and returns its outcome.
// Returns the last outcome at once when the transfer is idle, and Cancelled when the transfer
// object is destroyed while waiting. Resumes from the event loop, never inside a transfer event.
//   transfer.requestDocument(address);
//   const TransferOutcome outcome = co_await waitForFinished(&transfer);
QCoro::Task<TransferOutcome> waitForFinished(HttpTransfer *transfer);

}  // namespace tessivar
