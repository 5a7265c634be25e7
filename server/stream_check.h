#pragma once

#include "server/stream_probe.h"

#include <memory>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tessivar::directory {

// Where a check takes its entries from and writes its findings to. Several checks may share one
// catalogue: an entry claimed by one is not handed to another until its claim runs out.
class CheckStore
{
 public:
  virtual ~CheckStore() = default;
  // How many entries are due: never checked, or last checked before the time (seconds since the
  // epoch), and not claimed by another check.
  virtual std::int64_t countDue(std::int64_t checkedBefore) = 0;
  // Up to `count` due entries, claimed for this check for a while; none handed out before.
  virtual std::vector<ProbeTarget> claimDue(std::size_t count, std::int64_t checkedBefore) = 0;
  // Writes the findings in one transaction: when checked, when last good, failures in a row, the
  // last failure's reason, and what the stream says of itself.
  virtual void record(const std::vector<ProbeResult> &results, std::int64_t checkedAt) = 0;
  // Gives back entries claimed but not checked, for another check to take at once.
  virtual void release(const std::vector<std::int64_t> &ids) = 0;
};

struct CheckSummary
{
  std::int64_t due = 0;
  std::int64_t checked = 0;
  std::int64_t good = 0;
  std::map<std::string, std::int64_t> failedBy;  // reason -> entries
  bool stopped = false;
};

struct CheckRun
{
  ProbeOptions probe;
  // Entries checked within this many hours are left alone; 0 checks every entry once.
  int olderThanHours = 0;
  // Entries claimed at a time, and findings written at a time.
  std::size_t claimSize = 2000;
  std::size_t writeSize = 200;
};

// Checks every due entry's stream, writing findings in batches as they come, and shows progress on
// `out`: a bar redrawn in place on a terminal, a line every few seconds otherwise. Setting stop
// ends it after the findings so far are written.
CheckSummary runStreamCheck(CheckStore &store, const CheckRun &run, std::FILE *out,
                            const std::atomic<bool> &stop);

class CatalogueBackend;
// The catalogue's side of a check (see CatalogueBackend::claimDueChecks).
std::unique_ptr<CheckStore> checkStoreOf(CatalogueBackend &catalogue);

// The summary's closing lines: totals, then the failures by reason.
std::string summaryText(const CheckSummary &summary, double seconds);

}  // namespace tessivar::directory
