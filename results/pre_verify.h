#pragma once

#include "results/pre_verify_prober.h"

#include <QString>

#include <QCoroTask>

namespace tessivar {

class ResultTableModel;
class TransferFactory;
class TransferState;

// What result pre-verification does to the main window. The main window implements it.
class PreVerifyWindow
{
 public:
  virtual ~PreVerifyWindow() = default;

  // On: the toolbar's "Play" disabled, busy pointers, lblV ("Pre-verifying Files") shown and
  // blinking, clicks and double-clicks in the results grid refused (preVerifyBusy). Off: lblV
  // hidden and the grid's clicks accepted again; the search's completion restores the rest.
  virtual void showVerifying(bool on) = 0;
  // Status bar panel 1 (progress) or 2 (search clock).
  virtual void setStatusText(int panel, const QString &text) = 0;
  // Progress bar: range 0 to maximum, value 0.
  virtual void resetProgress(int maximum) = 0;
  // Repainting of the results grid.
  virtual void setResultsRedraw(bool on) = 0;
  // The window has begun to close.
  virtual bool isClosing() const = 0;
};

// Result pre-verification of an archive or browse search's rows: probes every HTTP link, marks
// its row good or bad and removes the bad rows, keeping the last data row. Nothing is done when
// a stop is already pending as it starts (the search was stopped). A stop during the probes ends
// them; the bad rows found so far are still removed and the status reads "Verify Cancelled". A
// window that is closing keeps its rows as they are.
QCoro::Task<> preVerifyResults(PreVerifyWindow &window, ResultTableModel &model, TransferFactory &transfers,
                               TransferState &state, ProbeOptions options);

// Removes the rows marked bad ("2" in column 8) from the top down, until only one data row is
// left: the last data row stays even when it is bad.
void removeBadRows(ResultTableModel &model);

}  // namespace tessivar
