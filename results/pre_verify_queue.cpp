#include "results/pre_verify_queue.h"

namespace tessivar {

void ProbeQueue::append(int row, const link_probe::ProbeTarget &target)
{
  const int number = int(links_.size());
  links_.push_back({row, target});

  // A link judged without a request, or without a server to name, waits for nobody.
  int host = int(hosts_.size());
  if (!target.settled && !target.hostKey.isEmpty()) {
    const auto known = hostNumbers_.constFind(target.hostKey);
    if (known != hostNumbers_.constEnd())
      host = *known;
    else
      hostNumbers_.insert(target.hostKey, host);
  }
  if (host == int(hosts_.size())) hosts_.emplace_back();
  hostOf_.push_back(host);

  Host &entry = hosts_[std::size_t(host)];
  entry.waiting.push_back(number);
  ++waiting_;
  if (entry.waiting.size() == 1) offer(host);
}

void ProbeQueue::offer(int host)
{
  const Host &entry = hosts_[std::size_t(host)];
  if (!entry.busy && !entry.waiting.empty())
    ready_.insert({newHostsFirst_ && entry.tried, entry.waiting.front(), host});
}

std::optional<int> ProbeQueue::takeNext()
{
  if (ready_.empty()) return std::nullopt;
  const auto [tried, number, host] = *ready_.begin();
  ready_.erase(ready_.begin());
  Host &entry = hosts_[std::size_t(host)];
  entry.waiting.pop_front();
  entry.busy = true;
  entry.tried = true;
  --waiting_;
  ++underWay_;
  return number;
}

std::vector<ProbeQueue::Mark> ProbeQueue::finish(int number, ProbeResult result)
{
  std::vector<Mark> marks;
  const int host = hostOf_.at(std::size_t(number));
  Host &entry = hosts_[std::size_t(host)];
  if (!entry.busy) return marks;
  entry.busy = false;
  --underWay_;
  marks.push_back({link(number).row, result == ProbeResult::Good});
  if (result == ProbeResult::HostUnreachable) {
    for (const int waiting : entry.waiting) marks.push_back({link(waiting).row, false});
    waiting_ -= int(entry.waiting.size());
    entry.waiting.clear();
  }
  offer(host);
  return marks;
}

}  // namespace tessivar
