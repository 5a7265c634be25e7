#pragma once

#include "results/pre_verify_prober.h"

#include <QCoroTask>

namespace tessivar {

class PreVerifyWindow;
class ResultTableModel;
class TransferFactory;
class TransferState;

// Pre-verification as a search run drives it once an archive or browse page has arrived: the run
// hands in its rows, its stop and the probe options of its input. Tests replace it.
class ResultVerification
{
 public:
  virtual ~ResultVerification() = default;
  virtual QCoro::Task<> verify(ResultTableModel &rows, TransferState &stop, ProbeOptions options) = 0;
};

// Probes the rows' links over transfers from the factory and shows it in the window (see
// preVerifyResults).
class LinkVerification : public ResultVerification
{
 public:
  LinkVerification(PreVerifyWindow &window, TransferFactory &transfers)
      : window_(window), transfers_(transfers)
  {
  }
  QCoro::Task<> verify(ResultTableModel &rows, TransferState &stop, ProbeOptions options) override;

 private:
  PreVerifyWindow &window_;
  TransferFactory &transfers_;
};

}  // namespace tessivar
