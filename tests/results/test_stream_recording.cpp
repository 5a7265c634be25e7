// The program's recording with stand-in recorders on PATH: what it records, what it says while it
// records and when it ends, and that no recorder outlives it.
#include "results/built_in_player.h"
#include "results/stream_recording.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

using namespace tessivar;
using Outcome = StreamRecording::Outcome;

class TestStreamRecording final : public QObject
{
  Q_OBJECT

 private:
  QTemporaryDir bin_;
  QByteArray path_ = qgetenv("PATH");
  test::FakeProcessStarter starter_;

  // A recorder that runs the given shell lines; $3 is the folder, $6 the file's name.
  void installRecorder(const QByteArray &lines)
  {
    QFile recorder(bin_.filePath(QStringLiteral("streamripper")));
    QVERIFY(recorder.open(QIODevice::WriteOnly));
    recorder.write("#!/bin/sh\n" + lines);
    recorder.close();
    recorder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  static bool running(qint64 pid) { return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0; }

 private slots:
  void init() { qputenv("PATH", bin_.path().toUtf8() + ':' + path_); }
  void cleanup() { qputenv("PATH", path_); }

  void addressesTheRecorderCannotTake_data()
  {
    QTest::addColumn<QString>("address");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("nothing") << QString() << Outcome::NoStream;
    QTest::newRow("mms") << QStringLiteral("mms://media.test/live") << Outcome::NotRecordable;
    QTest::newRow("rtsp") << QStringLiteral("rtsp://media.test/live.rm") << Outcome::NotRecordable;
    QTest::newRow("option") << QStringLiteral("--help") << Outcome::NotRecordable;
    QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << Outcome::NotRecordable;
  }

  void addressesTheRecorderCannotTake()
  {
    QFETCH(QString, address);
    QFETCH(Outcome, outcome);
    installRecorder("exit 0\n");
    StreamRecording recording(starter_);
    QCOMPARE(recording.start(address, QStringLiteral("Radio")), outcome);
    QVERIFY(starter_.started.isEmpty());
  }

  void recordsUntilStoppedAndSaysWhere()
  {
    // Writes, then records until it is told to stop.
    installRecorder(
        "printf 'ID3 audio' > \"$3/$6.mp3\"\nprintf 'cue' > \"$3/$6.cue\"\n"
        "trap 'exit 0' TERM\nwhile :; do sleep 0.1; done\n");
    StreamRecording recording(starter_);
    QSignalSpy finished(&recording, &StreamRecording::finished);
    QCOMPARE(recording.start(QStringLiteral("http://radio.test/live"), QStringLiteral("Jazz/FM")),
             Outcome::Started);
    QVERIFY(recording.isRecording());
    QTRY_VERIFY(recording.statusText().startsWith(QStringLiteral("Recording Jazz/FM  00:0")));
    QTRY_VERIFY(recording.statusText().endsWith(QStringLiteral("9 bytes")));

    recording.stop();
    QTRY_COMPARE(finished.size(), 1);
    const QString file = finished.first().at(1).toString();
    QVERIFY(file.startsWith(StreamRecording::outputFolder() + QLatin1Char('/')));
    QVERIFY(file.endsWith(QStringLiteral(" Jazz FM.mp3")));
    QCOMPARE(finished.first().at(2).toString(), QString());
  }

  void aFailedRecorderShowsItsError()
  {
    installRecorder(
        "echo 'Connecting...'\n"
        "printf '\\nerror -5 [Could not connect to the stream. Try checking that the stream is up\\n"
        "and that your proxy settings are correct.]\\n' >&2\necho 'bye..'\n");
    StreamRecording recording(starter_);
    QSignalSpy finished(&recording, &StreamRecording::finished);
    QCOMPARE(recording.start(QStringLiteral("http://radio.test/dead"), QStringLiteral("Dead")),
             Outcome::Started);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.first().at(1).toString(), QString());
    QCOMPARE(
        finished.first().at(2).toString(),
        QStringLiteral("Could not connect to the stream. Try checking that the stream is up and that your "
                       "proxy settings are correct."));
  }

  // The built-in player records through its engine until stopped; the engine finishes the file after.
  void recordsThroughTheBuiltInPlayer()
  {
    test::FakeEmbeddedPlayerEngine engine;
    BuiltInPlayer player(engine);
    StreamRecording recording(starter_);
    QSignalSpy finished(&recording, &StreamRecording::finished);
    QVERIFY(player.play(QStringLiteral("http://radio.test/live"), QStringLiteral("Blues/FM")));
    QCOMPARE(recording.startThrough(player), Outcome::Started);
    const QString file = engine.players.first()->recordingFile;
    QCOMPARE(file, StreamRecording::outputFolder() + QLatin1Char('/') +
                       QFileInfo(file).completeBaseName().left(20) + QStringLiteral("Blues FM.mka"));
    QVERIFY(recording.statusText().startsWith(QStringLiteral("Recording Blues/FM  00:0")));

    player.stop();
    QFile written(file);
    QVERIFY(written.open(QIODevice::WriteOnly) && written.write("audio") == 5);
    written.close();
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.first().mid(1), (QVariantList{file, QString()}));
    QFile::remove(file);
  }

  void noRecorderOutlivesTheProgram()
  {
    // A recorder that will not stop when asked is killed.
    installRecorder("trap '' TERM\nwhile :; do sleep 0.1; done\n");
    auto recording = std::make_unique<StreamRecording>(starter_);
    QCOMPARE(recording->start(QStringLiteral("http://radio.test/live"), QStringLiteral("Stubborn")),
             Outcome::Started);
    auto *process = recording->findChild<QProcess *>();
    QVERIFY(process != nullptr);
    QVERIFY(process->waitForStarted());
    const qint64 pid = process->processId();
    QVERIFY(running(pid));
    recording.reset();
    QVERIFY(!running(pid));
  }
};

TESSIVAR_TEST_MAIN(TestStreamRecording)
#include "test_stream_recording.moc"
