#include "server/stream_check.h"

#include "server/catalogue_backend.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <set>

namespace tessivar::directory {

namespace {

using Clock = std::chrono::steady_clock;

std::string clockText(double seconds)
{
  const auto whole = static_cast<long>(std::lround(std::max(0.0, seconds)));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}

class Progress
{
 public:
  Progress(std::FILE *out, std::int64_t total) : out_(out), total_(total), terminal_(isatty(fileno(out)) == 1)
  {
  }

  void show(const CheckSummary &summary, bool last)
  {
    const auto now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - started_).count();
    if (!last && now - shown_ < (terminal_ ? std::chrono::milliseconds(200) : std::chrono::seconds(5)))
      return;
    shown_ = now;
    const double rate = elapsed > 0 ? double(summary.checked) / elapsed : 0;
    const double left = rate > 0 ? double(total_ - summary.checked) / rate : 0;
    const std::int64_t failed = summary.checked - summary.good;
    if (terminal_) {
      constexpr int width = 30;
      const int filled = total_ > 0 ? int(width * summary.checked / total_) : width;
      std::fprintf(out_, "\r[%s%s] %lld/%lld  good %lld  failed %lld  %.1f/s  %s left ",
                   std::string(std::size_t(filled), '#').c_str(),
                   std::string(std::size_t(width - filled), '.').c_str(),
                   static_cast<long long>(summary.checked), static_cast<long long>(total_),
                   static_cast<long long>(summary.good), static_cast<long long>(failed), rate,
                   clockText(left).c_str());
      if (last) std::fputc('\n', out_);
    } else {
      std::fprintf(out_, "checked %lld of %lld: good %lld, failed %lld, %.1f a second, %s left\n",
                   static_cast<long long>(summary.checked), static_cast<long long>(total_),
                   static_cast<long long>(summary.good), static_cast<long long>(failed), rate,
                   clockText(left).c_str());
    }
    std::fflush(out_);
  }

 private:
  std::FILE *out_;
  std::int64_t total_;
  bool terminal_;
  Clock::time_point started_ = Clock::now();
  Clock::time_point shown_{};
};

}  // namespace

CheckSummary runStreamCheck(CheckStore &store, const CheckRun &run, std::FILE *out,
                            const std::atomic<bool> &stop)
{
  CheckSummary summary;
  // Every entry checked before this run started is due when no age is given (the store hands out
  // each entry once a run, so what this run records is not due again within it).
  const std::int64_t started = std::int64_t(std::time(nullptr));
  const std::int64_t checkedBefore =
      run.olderThanHours > 0 ? started - std::int64_t(run.olderThanHours) * 3600 : started + 1;
  summary.due = store.countDue(checkedBefore);
  Progress progress(out, summary.due);
  StreamProber prober(run.probe);
  std::vector<ProbeResult> pending;
  const auto write = [&] {
    if (pending.empty()) return;
    store.record(pending, std::int64_t(std::time(nullptr)));
    pending.clear();
  };
  std::set<std::int64_t> unchecked;  // claimed, no finding yet
  while (!stop) {
    const std::vector<ProbeTarget> targets = store.claimDue(run.claimSize, checkedBefore);
    if (targets.empty()) break;
    for (const ProbeTarget &target : targets) unchecked.insert(target.id);
    prober.run(
        targets,
        [&](const ProbeResult &result) {
          unchecked.erase(result.id);
          pending.push_back(result);
          ++summary.checked;
          if (result.good())
            ++summary.good;
          else
            ++summary.failedBy[reasonText(result.reason)];
          if (pending.size() >= run.writeSize) write();
          progress.show(summary, false);
        },
        stop);
    write();
    // A catalogue that grew while checking: the total follows it.
    summary.due = std::max(summary.due, summary.checked);
  }
  write();
  store.release({unchecked.begin(), unchecked.end()});
  summary.stopped = stop;
  progress.show(summary, true);
  return summary;
}

namespace {

class CatalogueCheckStore final : public CheckStore
{
 public:
  explicit CatalogueCheckStore(CatalogueBackend &catalogue) : catalogue_(catalogue) {}

  std::int64_t countDue(std::int64_t checkedBefore) override
  {
    return catalogue_.countDueChecks(checkedBefore, std::int64_t(std::time(nullptr)));
  }
  std::vector<ProbeTarget> claimDue(std::size_t count, std::int64_t checkedBefore) override
  {
    std::vector<ProbeTarget> targets;
    for (DueEntry &entry :
         catalogue_.claimDueChecks(count, checkedBefore, std::int64_t(std::time(nullptr)), claimedUpTo_)) {
      claimedUpTo_ = std::max(claimedUpTo_, entry.id);
      targets.push_back({entry.id, std::move(entry.url)});
    }
    // Probed in number order, as claimed.
    std::sort(targets.begin(), targets.end(),
              [](const ProbeTarget &a, const ProbeTarget &b) { return a.id < b.id; });
    return targets;
  }
  void release(const std::vector<std::int64_t> &ids) override { catalogue_.releaseClaims(ids); }
  void record(const std::vector<ProbeResult> &results, std::int64_t checkedAt) override
  {
    std::vector<CheckFinding> findings;
    findings.reserve(results.size());
    for (const ProbeResult &result : results) {
      findings.push_back({result.id, result.good(), result.good() ? std::string() : reasonText(result.reason),
                          result.contentType, result.icyName, result.icyBitrate, result.icyGenre});
    }
    catalogue_.recordChecks(findings, checkedAt);
  }

 private:
  CatalogueBackend &catalogue_;
  // Claims go on in number order from the last one: an entry is handed out once a run.
  std::int64_t claimedUpTo_ = 0;
};

}  // namespace

std::unique_ptr<CheckStore> checkStoreOf(CatalogueBackend &catalogue)
{
  return std::make_unique<CatalogueCheckStore>(catalogue);
}

std::string summaryText(const CheckSummary &summary, double seconds)
{
  std::string text = std::string(summary.stopped ? "Stopped: " : "") + std::to_string(summary.checked) +
                     " of " + std::to_string(summary.due) + " entries checked in " + clockText(seconds) +
                     ": " + std::to_string(summary.good) + " good, " +
                     std::to_string(summary.checked - summary.good) + " failed\n";
  for (const auto &[reason, count] : summary.failedBy)
    text += "  " + reason + ": " + std::to_string(count) + "\n";
  return text;
}

}  // namespace tessivar::directory
