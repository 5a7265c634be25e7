#include "results/pre_verify_prober.h"

#include "platform/http_transfer.h"
#include "platform/transfer_factory.h"
#include "platform/transfer_state.h"
#include "results/link_probe_request.h"
#include "results/result_table_model.h"
#include "results/results_layout.h"

#include <QColor>
#include <QPointer>

#include <algorithm>
#include <utility>

namespace tessivar {

namespace {

// The mark ("3" good, "2" bad) goes over the bit rate's sort key.
constexpr int markColumn = resultColumn(ResultLayout::Archive, ResultField::SpeedNumber);
constexpr int lengthColumn = resultColumn(ResultLayout::Archive, ResultField::Length);
constexpr int bitRateColumn = resultColumn(ResultLayout::Archive, ResultField::Speed);

}  // namespace

LinkProber::LinkProber(ResultTableModel &model, TransferFactory &transfers, TransferState &state,
                       const ProbeOptions &options, QObject *parent)
    : QObject(parent), model_(model), transfers_(transfers), state_(state), options_(options)
{
  options_.hostsAtOnce = std::max(options_.hostsAtOnce, 1);
  queue_ = ProbeQueue(options_.hostsAtOnce > 1);
  // The model and the state belong to the window; a probe that ends after they have gone must
  // not touch them.
  connect(&model_, &QObject::destroyed, this, &LinkProber::abandonAll);
  connect(&state_, &QObject::destroyed, this, &LinkProber::abandonAll);
}

LinkProber::~LinkProber()
{
  for (const auto &slot : slots_) slot->probe->abandon();
}

int LinkProber::queueResultLinks()
{
  for (int row = 0; row < model_.rowCount(); ++row) {
    const QString url = model_.field(row, ResultLayout::Archive, ResultField::StreamUrl);
    if (!link_probe::isProbedLink(url)) continue;
    queue_.append(int(rows_.size()), link_probe::prepareProbe(url));
    rows_.emplace_back(model_.index(row, 0));
  }
  return queue_.size();
}

QCoro::Task<> LinkProber::probeQueuedLinks()
{
  const QPointer<LinkProber> self(this);
  running_ = true;
  pump();
  while (running_) {
    if (!co_await state_.nextChange() || !self) co_return;
    if (running_ && state_.stopRequested()) stop();
  }
}

void LinkProber::pump()
{
  if (!running_) return;
  if (state_.stopRequested()) return stop();
  while (Slot *slot = freeSlot()) {
    const std::optional<int> next = queue_.takeNext();
    if (!next) break;
    const link_probe::ProbeTarget &target = queue_.link(*next).target;
    if (target.settled) {
      apply(queue_.finish(*next, *target.settled), 0);
      continue;
    }
    slot->link = *next;
    slot->probe->start(target.address);
  }
  if (!queue_.hasWaiting() && queue_.underWay() == 0) endRun();
}

LinkProber::Slot *LinkProber::freeSlot()
{
  for (const auto &slot : slots_) {
    if (slot->link < 0) return slot.get();
  }
  if (int(slots_.size()) >= options_.hostsAtOnce || !queue_.hasWaiting()) return nullptr;

  auto slot = std::make_unique<Slot>();
  slot->transfer = transfers_.makeTransfer(this);
  slot->probe = new LinkProbeRequest(*slot->transfer, options_.timeout, this);
  Slot *made = slot.get();
  connect(made->probe, &LinkProbeRequest::finished, this,
          [this, made](link_probe::ProbeResult result, qint64 contentLength) {
            onProbeFinished(*made, result, contentLength);
          });
  slots_.push_back(std::move(slot));
  return made;
}

void LinkProber::onProbeFinished(Slot &slot, link_probe::ProbeResult result, qint64 contentLength)
{
  const int link = std::exchange(slot.link, -1);
  if (!running_ || link < 0) return;
  apply(queue_.finish(link, result), contentLength);
  pump();
}

// The first mark is the probed link's own; the others are links of its unreachable host.
void LinkProber::apply(const std::vector<ProbeQueue::Mark> &marks, qint64 contentLength)
{
  for (std::size_t at = 0; at < marks.size(); ++at) {
    const QPersistentModelIndex &row = rows_.at(std::size_t(marks[at].row));
    if (!row.isValid()) continue;  // the row has gone meanwhile
    markResultRow(model_, row.row(), marks[at].good, at == 0 ? contentLength : 0);
  }
}

void LinkProber::stop()
{
  // A probe under way has found nothing yet: its link stays unmarked, like the links waiting.
  abandonProbes();
  endRun();
}

void LinkProber::abandonAll()
{
  running_ = false;
  abandonProbes();
}

void LinkProber::abandonProbes()
{
  for (const auto &slot : slots_) {
    slot->link = -1;
    slot->probe->abandon();
  }
}

void LinkProber::endRun()
{
  if (!running_) return;
  running_ = false;
  state_.wake();
}

void LinkProber::markResultRow(ResultTableModel &model, int row, bool good, qint64 contentLength)
{
  const QColor colour = good ? QColor(0, 128, 0) : QColor(255, 0, 0);
  model.setTextColor(row, lengthColumn, colour);
  model.setTextColor(row, bitRateColumn, colour);
  model.setText(row, markColumn, good ? QStringLiteral("3") : QStringLiteral("2"));
  if (good && contentLength > 0 && model.text(row, bitRateColumn) == QStringLiteral("Unknown"))
    model.setText(row, bitRateColumn, link_probe::sizeText(contentLength));
}

}  // namespace tessivar
