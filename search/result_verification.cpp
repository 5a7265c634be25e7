#include "search/result_verification.h"

#include "results/pre_verify.h"

namespace tessivar {

QCoro::Task<> LinkVerification::verify(ResultTableModel &rows, TransferState &stop, ProbeOptions options)
{
  co_await preVerifyResults(window_, rows, transfers_, stop, std::move(options));
}

}  // namespace tessivar
