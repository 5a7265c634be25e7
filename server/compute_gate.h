#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

namespace tessivar::directory {

// Lets at most one more thread through at once than there are processors (one just let through is
// still being woken while another finishes), the others in the order they came. Searches are computed
// on the processors alone: more of them at once only makes each take longer (and a long one makes every
// short one beside it wait).
class ComputeGate
{
 public:
  ComputeGate();
  ComputeGate(const ComputeGate &) = delete;
  ComputeGate &operator=(const ComputeGate &) = delete;

  // Held while a computation runs.
  class Pass
  {
   public:
    explicit Pass(ComputeGate &gate);
    ~Pass();
    Pass(const Pass &) = delete;
    Pass &operator=(const Pass &) = delete;

   private:
    ComputeGate &gate_;
  };

 private:
  struct Waiter
  {
    std::condition_variable turn;
    bool admitted = false;
  };

  std::mutex mutex_;
  unsigned free_;
  std::deque<Waiter *> waiting_;  // first come first; a slot that frees goes straight to the first
};

}  // namespace tessivar::directory
