// The stream check over a catalogue of local streams: what it reports, and which entries the
// directory then leaves out of its answers (or serves with --show-failing).
#include "support/directory_fixture.h"
#include "support/stream_hosts.h"
#include "support/test_environment.h"

using tessivar::test::DirectoryFixture;

class TestStreamCheck final : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;
  tessivar::test::StreamHosts streams_;
  const QByteArray search = "/tessivar37.asp?V=3.7&P=T&T1=checkfm&F=1&MA=1&LIVE=1&SPD=0";

  QByteArray check(const QStringList &extra = {})
  {
    QByteArray output;
    const int code = DirectoryFixture::run(
        QStringList{QStringLiteral("check"), QStringLiteral("--db"), directory_.database(),
                    QStringLiteral("--timeout"), QStringLiteral("2")} +
            extra,
        &output);
    return code == 0 ? output : QByteArray("exit ") + QByteArray::number(code) + ": " + output;
  }
 private slots:
  void failingTwiceLeavesAnEntryOut()
  {
    const QByteArray csv =
        "name,stream_url,homepage,tags,country,state,codec,bitrate\n"
        "Checkfm Good," +
        QByteArray::fromStdString(streams_.url("/good")) + ",,jazz,Norway,,MP3,64\n" + "Checkfm Missing," +
        QByteArray::fromStdString(streams_.url("/missing")) + ",,jazz,Norway,,MP3,64\n" + "Checkfm Page," +
        QByteArray::fromStdString(streams_.url("/page")) + ",,jazz,Norway,,MP3,64\n";
    QVERIFY(directory_.import(
        {QStringLiteral("--stations"), directory_.writeFile(QStringLiteral("s.csv"), csv)}));
    QVERIFY(directory_.start());
    QCOMPARE(directory_.namesAt(search).size(), 3);

    // Local addresses are the operator's own network: refused unless allowed.
    QVERIFY(check().contains("private address: 3"));
    const QByteArray first = check({QStringLiteral("--allow-private")});
    QVERIFY2(first.contains("3 of 3 entries checked") && first.contains("1 good, 2 failed") &&
                 first.contains("HTTP status: 1") && first.contains("not media: 1"),
             first.constData());
    // Failing twice in a row is not enough while the entry was good within a day: none was ever good,
    // so after this run the two failing ones go.
    QCOMPARE(directory_.namesAt(search).size(), 3);
    QVERIFY(check({QStringLiteral("--allow-private")}).contains("1 good, 2 failed"));
    QCOMPARE(directory_.namesAt(search), QStringList{QStringLiteral("Checkfm Good")});

    // Checked within the hour: nothing is due.
    QVERIFY(check({QStringLiteral("--allow-private"), QStringLiteral("--older-than"), QStringLiteral("1")})
                .contains("0 of 0 entries checked"));
  }

  void showFailingServesThemAgain()
  {
    QVERIFY(directory_.start({QStringLiteral("--show-failing")}));
    QCOMPARE(directory_.namesAt(search).size(), 3);
  }
};

TESSIVAR_TEST_MAIN(TestStreamCheck)
#include "test_stream_check.moc"
