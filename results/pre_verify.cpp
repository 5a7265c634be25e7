#include "results/pre_verify.h"

#include "platform/transfer_state.h"
#include "results/result_table_model.h"

#include <QPointer>

#include <vector>

namespace tessivar {

namespace {

// Where pre-verification marks a row (see LinkProber::markResultRow).
constexpr ResultField markField = ResultField::SpeedNumber;

}  // namespace

QCoro::Task<> preVerifyResults(PreVerifyWindow &window, ResultTableModel &model, TransferFactory &transfers,
                               TransferState &state, ProbeOptions options)
{
  // A stop that arrived while the search ran stops its verification too.
  if (state.stopRequested()) co_return;

  const QPointer<TransferState> stateGuard(&state);
  window.showVerifying(true);
  window.setStatusText(1, QStringLiteral("Pre-Verifying Files, Please Wait..."));

  {
    LinkProber prober(model, transfers, state, options);
    window.resetProgress(prober.queueResultLinks() + 1);
    co_await prober.probeQueuedLinks();
  }
  if (!stateGuard) co_return;  // the window's state, model and all went while the links were probed

  if (!window.isClosing()) {
    window.setStatusText(1, QStringLiteral("Removing Bad Links"));
    window.setResultsRedraw(false);
    removeBadRows(model);
    window.setResultsRedraw(true);
    if (state.stopRequested()) window.setStatusText(1, QStringLiteral("Verify Cancelled"));
    window.setStatusText(2, QString());
  }
  window.showVerifying(false);
}

void removeBadRows(ResultTableModel &model)
{
  // Walking down from the top, a bad row goes while more than one data row is left.
  int left = model.rowCount();
  std::vector<int> bad;
  for (int row = 0; row < model.rowCount() && left > 1; ++row) {
    if (model.field(row, ResultLayout::Archive, markField) == QStringLiteral("2")) {
      bad.push_back(row);
      --left;
    }
  }
  // Runs of neighbouring rows go at once, the lowest first so the rows above keep their numbers.
  while (!bad.empty()) {
    int first = bad.back();
    int count = 1;
    bad.pop_back();
    while (!bad.empty() && bad.back() == first - 1) {
      first = bad.back();
      ++count;
      bad.pop_back();
    }
    model.removeRows(first, count);
  }
}

}  // namespace tessivar
