#pragma once

#include "results/link_probe.h"

#include <QHash>
#include <QString>

#include <deque>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

namespace tessivar {

// The links waiting for their probe, in the order of the grid's rows, and the rule that a host
// found unreachable takes all of its waiting links down with it.
//
// Links are handed out one host at a time: the next link is the earliest waiting one whose host
// has no probe under way; with newHostsFirst, hosts not tried yet come first (a dead host is
// found out, and its one time-out begins, as early as possible). Each host's links are thus probed in their
// order, one after another, and a host's failure touches only its own later links, so probing several hosts
// at once marks every link exactly as probing all links one at a time in their order does.
class ProbeQueue
{
 public:
  using ProbeResult = link_probe::ProbeResult;

  struct Link
  {
    int row = 0;  // the model row the link came from
    link_probe::ProbeTarget target;
  };
  // A row's mark: good (kept) or bad (removed afterwards).
  struct Mark
  {
    int row = 0;
    bool good = false;
  };

  explicit ProbeQueue(bool newHostsFirst = false) : newHostsFirst_(newHostsFirst) {}
  // Appends a link behind the others.
  void append(int row, const link_probe::ProbeTarget &target);

  // The next link to probe, by its number in the order of append(); its host counts as busy
  // until finish(). A link settled without a request comes out too (the caller finishes it at
  // once). nullopt when every waiting link's host is busy, or no link waits.
  std::optional<int> takeNext();
  const Link &link(int number) const { return links_.at(std::size_t(number)); }

  // The probe of a taken link ended: its mark, then (when its host was unreachable) the marks of
  // the host's waiting links, which leave the queue.
  std::vector<Mark> finish(int number, ProbeResult result);

  int size() const { return int(links_.size()); }
  bool hasWaiting() const { return waiting_ > 0; }
  int underWay() const { return underWay_; }

 private:
  struct Host
  {
    std::deque<int> waiting;
    bool busy = false;
    bool tried = false;
  };

  void offer(int host);

  std::vector<Link> links_;
  std::vector<int> hostOf_;  // per link
  std::vector<Host> hosts_;
  QHash<QString, int> hostNumbers_;
  // Hosts that are not busy and have links waiting: (tried before, first waiting link, host).
  std::set<std::tuple<bool, int, int>> ready_;
  int waiting_ = 0;
  int underWay_ = 0;
  bool newHostsFirst_ = false;
};

}  // namespace tessivar
