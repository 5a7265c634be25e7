// The stream checker against 20 local stream hosts, 5 of which accept connections and never
// answer, 100 entries each, through the real prober and the check's batching and progress lines.
//   bench_stream_check [TIMEOUT_SECONDS]

#include "server/stream_check.h"
#include "support/process_memory.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace tessivar::directory;

namespace {

constexpr int hosts = 20;
constexpr int silentHosts = 5;
constexpr int entriesPerHost = 100;

// Every entry due once; claims hand them out in order.
class MemoryStore final : public CheckStore
{
 public:
  explicit MemoryStore(std::vector<ProbeTarget> targets) : targets_(std::move(targets)) {}
  std::int64_t countDue(std::int64_t) override { return std::int64_t(targets_.size()); }
  std::vector<ProbeTarget> claimDue(std::size_t count, std::int64_t) override
  {
    std::vector<ProbeTarget> claimed;
    while (next_ < targets_.size() && claimed.size() < count) claimed.push_back(targets_[next_++]);
    return claimed;
  }
  void record(const std::vector<ProbeResult> &results, std::int64_t) override { recorded += results.size(); }
  void release(const std::vector<std::int64_t> &) override {}
  std::size_t recorded = 0;

 private:
  std::vector<ProbeTarget> targets_;
  std::size_t next_ = 0;
};

}  // namespace

int main(int argc, char **argv)
{
  QCoreApplication app(argc, argv);
  const int timeout = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

  std::vector<quint16> ports;
  QSemaphore ready;
  QEventLoop *loop = nullptr;
  std::unique_ptr<QThread> thread(QThread::create([&] {
    std::vector<std::unique_ptr<QTcpServer>> servers;
    for (int host = 0; host < hosts; ++host) {
      auto server = std::make_unique<QTcpServer>();
      server->listen(QHostAddress::LocalHost);
      ports.push_back(server->serverPort());
      const bool silent = host < silentHosts;
      QTcpServer *raw = server.get();
      QObject::connect(raw, &QTcpServer::newConnection, raw, [raw, silent] {
        while (QTcpSocket *socket = raw->nextPendingConnection()) {
          QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
          if (silent) continue;
          QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            socket->readAll();
            socket->write("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: Bench FM\r\n\r\n" +
                          QByteArray("\xFF\xFB\x90\x64", 4).repeated(256));
          });
        }
      });
      servers.push_back(std::move(server));
    }
    QEventLoop events;
    loop = &events;
    ready.release();
    events.exec();
  }));
  thread->start();
  ready.acquire();

  std::vector<ProbeTarget> targets;
  for (int i = 0; i < hosts * entriesPerHost; ++i) {
    const quint16 port = ports[std::size_t(i % hosts)];
    targets.push_back({i + 1, "http://127.0.0.1:" + std::to_string(port) + "/stream/" + std::to_string(i)});
  }
  MemoryStore store(targets);
  CheckRun run;
  run.probe.timeoutSeconds = timeout;
  run.probe.allowPrivate = true;
  const std::atomic<bool> stop{false};
  const auto started = std::chrono::steady_clock::now();
  const CheckSummary summary = runStreamCheck(store, run, stderr, stop);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
  thread->wait();

  const int silentEntries = silentHosts * entriesPerHost;
  std::printf("%s", summaryText(summary, seconds).c_str());
  std::printf("entries: %d over %d hosts (%d silent), time-out %d s, %d at once, %d a host\n",
              hosts * entriesPerHost, hosts, silentHosts, timeout, run.probe.concurrency,
              run.probe.connectionsPerHost);
  std::printf(
      "checked in %.1f s: %.0f entries a second; one time-out per silent entry would take %d s (%.1f%%)\n",
      seconds, double(summary.checked) / seconds, silentEntries * timeout,
      100 * seconds / (silentEntries * timeout));
  std::printf("findings written: %zu; peak resident memory %ld KiB\n", store.recorded,
              tessivar::bench::memoryKib("VmHWM"));
  return summary.checked == hosts * entriesPerHost ? 0 : 1;
}
