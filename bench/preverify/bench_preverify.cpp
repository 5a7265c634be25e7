// Probes 200 clip links spread over 20 local hosts (addresses 127.0.0.11 to 127.0.0.30): 12 hosts
// answer (media, web pages and "not found" answers, the media answers followed by a clip that is
// never read), 5 accept connections and stay silent, 3 refuse them. The same links are verified
// one at a time and with several hosts at once, in the same run; the marks, the sizes shown and
// the rows left after the bad ones are removed must be the same. Prints the wall times, the
// ratio, the ceiling of that ratio (no run can end before one time-out, when the silent hosts are
// known to be dead), and what the servers saw.
//
//   bench_preverify [TIME-OUT-MS [ANSWER-DELAY-MS [HOSTS-AT-ONCE]]]
//
// TIME-OUT-MS (default 2000) stands in for the probes' 60 s time-out; ANSWER-DELAY-MS (default 0)
// delays every answer, as a distant server would.

#include "platform/transfer_factory.h"
#include "platform/transfer_state.h"
#include "results/pre_verify.h"
#include "results/pre_verify_prober.h"
#include "results/result_table_model.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

using namespace tessivar;

namespace {

constexpr int kLinks = 200;
constexpr int kHosts = 20;
constexpr int kSilent = 5;
constexpr int kRefusing = 3;

enum class HostKind { Answering, Silent, Refusing };

// One local host. An answering host reads the request line and answers by the path's first
// folder: /ok/ media with its size, /page/ a web page, /gone/ "not found".
class BenchHost final : public QObject
{
 public:
  BenchHost(HostKind kind, const QHostAddress &address, int answerDelay)
      : kind_(kind), address_(address), answerDelay_(answerDelay)
  {
    if (!server_.listen(address_, 0)) {
      std::fprintf(stderr, "cannot listen on %s\n", qPrintable(address_.toString()));
      std::exit(1);
    }
    port_ = server_.serverPort();
    if (kind_ == HostKind::Refusing) {
      server_.close();  // the port stays free: connections are refused
      return;
    }
    connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
  }

  QString link(int number, const char *folder) const
  {
    return QStringLiteral("http://%1:%2/%3/clip%4.rm")
        .arg(address_.toString())
        .arg(port_)
        .arg(QLatin1String(folder))
        .arg(number);
  }
  HostKind kind() const { return kind_; }
  int connections = 0;

 private:
  void accept()
  {
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
      ++connections;
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      if (kind_ == HostKind::Silent) continue;
      auto seenSoFar = std::make_shared<QByteArray>();
      connect(socket, &QTcpSocket::readyRead, socket, [this, socket, seenSoFar] {
        QByteArray &seen = *seenSoFar;
        seen += socket->readAll();
        if (!seen.contains("\r\n\r\n")) return;
        const QByteArray path = seen.split(' ').value(1);
        seen.clear();
        const QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(answerDelay_, this, [guard, path] {
          if (guard) answer(*guard, path);
        });
      });
    }
  }

  static void answer(QTcpSocket &socket, const QByteArray &path)
  {
    if (path.startsWith("/ok/")) {
      socket.write(
          "HTTP/1.1 200 OK\r\nContent-Type: audio/x-pn-realaudio\r\nContent-Length: 4194304\r\n\r\n");
      socket.write(QByteArray(64 * 1024, 'x'));  // the start of a clip nobody reads
    } else if (path.startsWith("/page/")) {
      socket.write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\n\r\n<html></html>");
    } else {
      socket.write("HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 4\r\n\r\ngone");
    }
  }

  HostKind kind_;
  QHostAddress address_;
  int answerDelay_;
  quint16 port_ = 0;
  QTcpServer server_;
};

struct Outcome
{
  double seconds = 0;
  QStringList marks;
  QStringList sizes;
  QStringList rowsLeft;
};

Outcome verify(const QStringList &links, int hostsAtOnce, int timeout, NetworkTransferFactory &transfers)
{
  ResultTableModel model;
  model.setRowCount(int(links.size()));
  for (int row = 0; row < int(links.size()); ++row) {
    model.setText(row, 2, QStringLiteral("Unknown"));
    model.setText(row, 3, QStringLiteral("clip %1").arg(row));
    model.setText(row, 5, links.at(row));
    model.setText(row, 8, QStringLiteral("56"));
  }
  TransferState state;
  ProbeOptions options;
  options.timeout = std::chrono::milliseconds(timeout);
  options.hostsAtOnce = hostsAtOnce;

  Outcome outcome;
  QElapsedTimer clock;
  clock.start();
  {
    LinkProber prober(model, transfers, state, options);
    prober.queueResultLinks();
    QCoro::waitFor(prober.probeQueuedLinks());
  }
  outcome.seconds = double(clock.nsecsElapsed()) / 1e9;
  for (int row = 0; row < model.rowCount(); ++row) {
    outcome.marks << model.text(row, 8);
    outcome.sizes << model.text(row, 2);
  }
  removeBadRows(model);
  for (int row = 0; row < model.rowCount(); ++row) outcome.rowsLeft << model.text(row, 3);
  return outcome;
}

}  // namespace

int main(int argc, char **argv)
{
  QCoreApplication app(argc, argv);
  const int timeout = argc > 1 ? std::atoi(argv[1]) : 2000;
  const int answerDelay = argc > 2 ? std::atoi(argv[2]) : 0;
  const int hostsAtOnce = argc > 3 ? std::atoi(argv[3]) : ProbeOptions{}.hostsAtOnce;

  std::vector<std::unique_ptr<BenchHost>> hosts;
  for (int host = 0; host < kHosts; ++host) {
    const HostKind kind = host < kSilent               ? HostKind::Silent
                          : host < kSilent + kRefusing ? HostKind::Refusing
                                                       : HostKind::Answering;
    hosts.push_back(std::make_unique<BenchHost>(kind, QHostAddress(quint32(0x7f00000b + host)), answerDelay));
  }
  // Links in a mixed order: each host's links are spread over the list.
  QRandomGenerator random(7);
  QStringList links;
  for (int number = 0; number < kLinks; ++number) {
    const BenchHost &host = *hosts[std::size_t(random.bounded(kHosts))];
    const int pick = random.bounded(20);
    links << host.link(number, pick < 14 ? "ok" : pick < 17 ? "page" : "gone");
  }

  const auto silentConnections = [&] {
    int count = 0;
    for (const auto &host : hosts) {
      if (host->kind() == HostKind::Silent) count += std::exchange(host->connections, 0);
    }
    return count;
  };
  NetworkTransferFactory transfers;
  const Outcome sequential = verify(links, 1, timeout, transfers);
  const int sequentialSilent = silentConnections();
  const Outcome concurrent = verify(links, hostsAtOnce, timeout, transfers);
  const int concurrentSilent = silentConnections();

  const bool same = sequential.marks == concurrent.marks && sequential.sizes == concurrent.sizes &&
                    sequential.rowsLeft == concurrent.rowsLeft;
  std::printf("links %d over %d hosts (%d silent, %d refusing), time-out %d ms, answer delay %d ms\n", kLinks,
              kHosts, kSilent, kRefusing, timeout, answerDelay);
  std::printf("one at a time:        %8.3f s\n", sequential.seconds);
  std::printf("%2d hosts at once:     %8.3f s\n", hostsAtOnce, concurrent.seconds);
  std::printf("speed-up:             %8.2f x\n", sequential.seconds / concurrent.seconds);
  // No run ends before one time-out: the silent hosts are known dead only then.
  std::printf("ceiling (one at a time / one time-out): %.2f x\n", sequential.seconds * 1000 / timeout);
  std::printf("good %lld, bad %lld, rows left after removal %lld\n",
              qsizetype(concurrent.marks.count(u"3"_qs)), qsizetype(concurrent.marks.count(u"2"_qs)),
              concurrent.rowsLeft.size());
  std::printf("connections to the %d silent hosts: %d one at a time, %d at once\n", kSilent, sequentialSilent,
              concurrentSilent);
  std::printf("same marks, sizes and rows left: %s\n", same ? "yes" : "NO");
  return same ? 0 : 1;
}
