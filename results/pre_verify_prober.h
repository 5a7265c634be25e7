#pragma once

#include "results/link_probe.h"
#include "results/pre_verify_queue.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <QString>

#include <QCoroTask>

#include <chrono>
#include <memory>
#include <vector>

namespace tessivar {

class HttpTransfer;
class LinkProbeRequest;
class ResultTableModel;
class TransferFactory;
class TransferState;

// How the links are probed.
struct ProbeOptions
{
  std::chrono::milliseconds timeout{link_probe::timeoutMilliseconds};
  // Hosts probed at the same time, one request each; 1 probes one link at a time.
  int hostsAtOnce = 8;
};

// Probes the HTTP links of the result rows and marks each row good or bad (hidden column 8:
// "3" good, "2" bad; green or red "Len" and "BPS"). Several hosts are probed at once, one
// request per host, with the outcome of probing every link one at a time in the rows' order.
// A stop (StopRequested of the shared transfer state) ends the probing: the probes under way are
// abandoned, and their links stay unmarked like the links still waiting. When the model or the
// state goes away, the probes are dropped and nothing is marked any more.
class LinkProber final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(LinkProber)

 public:
  // The probes' transfers come from the factory, owned by this object.
  LinkProber(ResultTableModel &model, TransferFactory &transfers, TransferState &state,
             const ProbeOptions &options, QObject *parent = nullptr);
  ~LinkProber() override;

  // Queues every row whose stream URL (column 5) is an HTTP link; returns how many were queued.
  int queueResultLinks();
  // Probes the queued links; returns when every one is marked or a stop was requested.
  QCoro::Task<> probeQueuedLinks();

  // Marks one row (a model row): good or bad colours and key; a good row whose "BPS" reads
  // "Unknown" shows the size the answer announced, when it announced one.
  static void markResultRow(ResultTableModel &model, int row, bool good, qint64 contentLength);

 private:
  struct Slot
  {
    HttpTransfer *transfer = nullptr;
    LinkProbeRequest *probe = nullptr;
    int link = -1;  // the link under way, -1 when free
  };

  void pump();
  Slot *freeSlot();
  void onProbeFinished(Slot &slot, link_probe::ProbeResult result, qint64 contentLength);
  void apply(const std::vector<ProbeQueue::Mark> &marks, qint64 contentLength);
  void stop();
  void endRun();
  void abandonAll();
  void abandonProbes();

  ResultTableModel &model_;
  TransferFactory &transfers_;
  TransferState &state_;
  ProbeOptions options_;
  ProbeQueue queue_;
  std::vector<QPersistentModelIndex> rows_;  // per queued link
  std::vector<std::unique_ptr<Slot>> slots_;
  bool running_ = false;
};

}  // namespace tessivar
