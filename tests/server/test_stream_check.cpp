// The stream check over a catalogue of local streams: what it reports, which entries the directory
// then leaves out of its answers (or serves with --show-failing), checks sharing one catalogue, and
// a check stopped halfway.
#include "support/directory_fixture.h"
#include "support/stream_hosts.h"
#include "support/test_environment.h"

#include <QTcpServer>

#include <csignal>

using tessivar::test::DirectoryFixture;

namespace {

const QByteArray search = "/tessivar37.asp?V=3.7&P=T&T1=checkfm&F=1&MA=1&LIVE=1&SPD=0";
const QStringList allowPrivate{QStringLiteral("--allow-private")};

// A stations file of one entry per address, named "Checkfm NAME".
QByteArray stationsCsv(const QList<QPair<QString, std::string>> &entries)
{
  QByteArray csv = "name,stream_url,homepage,tags,country,state,codec,bitrate\n";
  for (const auto &[name, url] : entries)
    csv += "Checkfm " + name.toUtf8() + "," + QByteArray::fromStdString(url) + ",,jazz,Norway,,MP3,64\n";
  return csv;
}

std::unique_ptr<QProcess> startCheck(const DirectoryFixture &directory, const QStringList &extra)
{
  auto process = std::make_unique<QProcess>();
  process->start(tessivar::test::directoryBinary(),
                 QStringList{QStringLiteral("check"), QStringLiteral("--db"), directory.database()} + extra);
  return process;
}

}  // namespace

class TestStreamCheck final : public QObject
{
  Q_OBJECT

 private:
  tessivar::test::StreamHosts streams_;

  static QByteArray check(const DirectoryFixture &directory, const QStringList &extra)
  {
    QByteArray output;
    const int code = DirectoryFixture::run(
        QStringList{QStringLiteral("check"), QStringLiteral("--db"), directory.database(),
                    QStringLiteral("--timeout"), QStringLiteral("1")} +
            extra,
        &output);
    return code == 0 ? output : QByteArray("exit ") + QByteArray::number(code) + ": " + output;
  }

 private slots:
  void twoFailedChecksLeaveAnEntryOut()
  {
    quint16 closedPort = 0;
    {
      QTcpServer closed;
      closed.listen(QHostAddress::LocalHost);
      closedPort = closed.serverPort();
    }
    DirectoryFixture directory;
    const QStringList good{QStringLiteral("Checkfm Good"), QStringLiteral("Checkfm Playlist"),
                           QStringLiteral("Checkfm Redirected")};
    QVERIFY(directory.import(
        {QStringLiteral("--stations"),
         directory.writeFile(QStringLiteral("s.csv"),
                             stationsCsv({{QStringLiteral("Good"), streams_.url("/good")},
                                          {QStringLiteral("Playlist"), streams_.url("/list.pls")},
                                          {QStringLiteral("Redirected"), streams_.url("/hop/3")},
                                          {QStringLiteral("Looping"), streams_.url("/hop/7")},
                                          {QStringLiteral("Missing"), streams_.url("/missing")},
                                          {QStringLiteral("Page"), streams_.url("/page")},
                                          {QStringLiteral("Silent"), streams_.url("/silent")},
                                          {QStringLiteral("Refused"),
                                           "http://127.0.0.1:" + std::to_string(closedPort) + "/"}}))}));
    // Started before the checks: it must notice what they write.
    QVERIFY(directory.start());
    QCOMPARE(directory.namesAt(search).size(), 8);

    for (int run = 1; run <= 2; ++run) {
      const QByteArray summary = check(directory, allowPrivate);
      for (const char *expected : {"8 of 8 entries checked", "3 good, 5 failed", "too many redirects: 1",
                                   "HTTP status: 1", "not media: 1", "time-out: 1", "refused: 1"})
        QVERIFY2(summary.contains(expected), summary.constData());
      // One failed check is not enough; the second leaves out exactly the failing ones.
      const QStringList served = directory.namesAt(search);
      if (run == 1) QCOMPARE(served.size(), 8);
      if (run == 2) QCOMPARE(served, good);
    }
    const quint16 showing = directory.startServer({QStringLiteral("--show-failing")});
    QVERIFY(showing != 0);
    QCOMPARE(tessivar::test::namesOf(directory.get(search, showing).body).size(), 8);

    // The operator's own network is not probed unless allowed: a failure, but the good ones were good
    // within the day and stay.
    QVERIFY(check(directory, {}).contains("private address: 8"));
    QCOMPARE(directory.namesAt(search), good);
    // Checked within the hour: nothing is due.
    QVERIFY(check(directory, {QStringLiteral("--older-than"), QStringLiteral("1")})
                .contains("0 of 0 entries checked"));
  }

  void checksAtOnceProbeEachEntryOnce()
  {
    DirectoryFixture directory;
    constexpr int entries = 2500;  // more than one check claims at a time
    QList<QPair<QString, std::string>> list;
    for (int i = 0; i < entries; ++i)
      list.append({QString::number(i), streams_.url("/good?n=" + std::to_string(i))});
    QVERIFY(directory.import(
        {QStringLiteral("--stations"), directory.writeFile(QStringLiteral("s.csv"), stationsCsv(list))}));
    const QStringList options =
        allowPrivate + QStringList{QStringLiteral("--older-than"), QStringLiteral("1")};
    auto first = startCheck(directory, options);
    auto second = startCheck(directory, options);
    for (QProcess *process : {first.get(), second.get()}) {
      QVERIFY(process->waitForFinished(120000));
      QCOMPARE(process->exitCode(), 0);
    }
    const QMap<QByteArray, int> requests = streams_.requests();
    for (int i = 0; i < entries; ++i) QCOMPARE(requests.value("/good?n=" + QByteArray::number(i)), 1);
  }

  void interruptedCheckKeepsWhatItFound()
  {
    DirectoryFixture directory;
    QList<QPair<QString, std::string>> list;
    for (int i = 0; i < 3; ++i)
      list.append({QString::number(i), streams_.url("/good?i=" + std::to_string(i))});
    for (int i = 0; i < 7; ++i)
      list.append({QString::number(i + 3), streams_.url("/silent?i=" + std::to_string(i))});
    QVERIFY(directory.import(
        {QStringLiteral("--stations"), directory.writeFile(QStringLiteral("s.csv"), stationsCsv(list))}));
    auto process =
        startCheck(directory, allowPrivate + QStringList{QStringLiteral("--timeout"), QStringLiteral("60")});
    // Four at a time from one host: the fourth silent one is asked only once the good ones are done.
    const auto silentAsked = [this] {
      int asked = 0;
      const QMap<QByteArray, int> requests = streams_.requests();
      for (auto it = requests.begin(); it != requests.end(); ++it) asked += it.key().startsWith("/silent?");
      return asked;
    };
    QTRY_COMPARE_WITH_TIMEOUT(silentAsked(), 4, 20000);
    ::kill(static_cast<pid_t>(process->processId()), SIGINT);
    QVERIFY(process->waitForFinished(10000));
    QCOMPARE(process->exitCode(), 0);
    QVERIFY2(process->readAllStandardOutput().contains("Stopped: 3 of 10 entries checked"),
             process->readAllStandardError().constData());
    const QByteArray rest =
        check(directory, allowPrivate + QStringList{QStringLiteral("--older-than"), QStringLiteral("1")});
    QVERIFY2(rest.contains("of 7 entries checked"), rest.constData());
  }
};

TESSIVAR_TEST_MAIN(TestStreamCheck)
#include "test_stream_check.moc"
