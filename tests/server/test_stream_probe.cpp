// The stream checker's probes against local stream servers: each way a stream can be good or
// fail, and the private networks it must not reach.
#include "server/stream_probe.h"
#include "support/stream_hosts.h"
#include "support/test_environment.h"

#include <QTcpServer>

#include <map>

using namespace tessivar::directory;

namespace {

std::map<std::int64_t, ProbeResult> probe(const std::vector<ProbeTarget> &targets, bool allowPrivate)
{
  ProbeOptions options;
  options.timeoutSeconds = 2;
  options.allowPrivate = allowPrivate;
  StreamProber prober(options);
  std::map<std::int64_t, ProbeResult> results;
  const std::atomic<bool> stop{false};
  prober.run(
      targets, [&results](const ProbeResult &result) { results[result.id] = result; }, stop);
  return results;
}

}  // namespace

class TestStreamProbe final : public QObject
{
  Q_OBJECT

 private slots:
  void eachWayAStreamIsGoodOrFails()
  {
    tessivar::test::StreamHosts streams;
    quint16 closedPort = 0;
    {
      QTcpServer closed;
      closed.listen(QHostAddress::LocalHost);
      closedPort = closed.serverPort();
    }
    const std::vector<std::pair<std::string, ProbeReason>> cases{
        {streams.url("/good"), ProbeReason::Good},
        {streams.url("/sniffed"), ProbeReason::Good},
        {streams.url("/list.pls"), ProbeReason::Good},
        {streams.url("/hop/3"), ProbeReason::Good},
        {streams.url("/hop/7"), ProbeReason::TooManyRedirects},
        {streams.url("/missing"), ProbeReason::HttpStatus},
        {streams.url("/page"), ProbeReason::NotMedia},
        {streams.url("/deep.pls"), ProbeReason::NotMedia},
        {streams.url("/silent"), ProbeReason::TimedOut},
        {"http://127.0.0.1:" + std::to_string(closedPort) + "/", ProbeReason::Refused},
        {"ftp://127.0.0.1/a.mp3", ProbeReason::NotHttp},
    };
    std::vector<ProbeTarget> targets;
    for (std::size_t i = 0; i < cases.size(); ++i) targets.push_back({std::int64_t(i + 1), cases[i].first});
    const auto results = probe(targets, true);
    QCOMPARE(results.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const ProbeResult &result = results.at(std::int64_t(i + 1));
      QVERIFY2(result.reason == cases[i].second,
               qPrintable(QString::fromStdString(cases[i].first + ": " + reasonText(result.reason) + " " +
                                                 result.detail)));
    }
    const ProbeResult &good = results.at(1);
    QCOMPARE(good.icyName, std::string("Good FM"));
    QCOMPARE(good.icyBitrate, std::string("128"));
    QCOMPARE(good.contentType, std::string("audio/mpeg"));
    QCOMPARE(results.at(6).detail, std::string("HTTP 404"));
  }

  void privateNetworksAreNotProbed()
  {
    tessivar::test::StreamHosts streams;
    const auto results = probe({{1, streams.url("/good")}, {2, "http://[::1]:9/"}}, false);
    QCOMPARE(int(results.at(1).reason), int(ProbeReason::PrivateAddress));
    QCOMPARE(int(results.at(2).reason), int(ProbeReason::PrivateAddress));
    for (const char *address :
         {"127.0.0.1", "10.1.2.3", "172.20.0.1", "192.168.1.1", "169.254.1.1", "100.64.0.1", "224.0.0.1",
          "0.0.0.0", "::1", "fe80::1", "fd00::1", "ff02::1", "::ffff:10.0.0.1"})
      QVERIFY2(isPrivateAddress(address), address);
    for (const char *address : {"8.8.8.8", "151.101.1.1", "2001:4860::8888", "::ffff:8.8.8.8"})
      QVERIFY2(!isPrivateAddress(address), address);
  }
};

TESSIVAR_TEST_MAIN(TestStreamProbe)
#include "test_stream_probe.moc"
