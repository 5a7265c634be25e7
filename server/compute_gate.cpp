#include "server/compute_gate.h"

#include <algorithm>
#include <thread>

namespace tessivar::directory {

ComputeGate::ComputeGate() : free_(std::max(1u, std::thread::hardware_concurrency()) + 1) {}

ComputeGate::Pass::Pass(ComputeGate &gate) : gate_(gate)
{
  std::unique_lock lock(gate_.mutex_);
  if (gate_.free_ > 0 && gate_.waiting_.empty()) {
    --gate_.free_;
    return;
  }
  Waiter waiter;
  gate_.waiting_.push_back(&waiter);
  waiter.turn.wait(lock, [&] { return waiter.admitted; });
}

ComputeGate::Pass::~Pass()
{
  const std::lock_guard lock(gate_.mutex_);
  if (gate_.waiting_.empty()) {
    ++gate_.free_;
    return;
  }
  Waiter *next = gate_.waiting_.front();
  gate_.waiting_.pop_front();
  next->admitted = true;
  next->turn.notify_one();
}

}  // namespace tessivar::directory
