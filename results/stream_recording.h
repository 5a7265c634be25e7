#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QProcess;
class QTimer;

namespace tessivar {

class BuiltInPlayer;
class ProcessStarter;

// The program's recording: the recorder ("streamripper" on PATH) run as a child the program
// watches, or the built-in player's engine saving what it plays; one stream at a time, into one
// file under the music folder. It says what it is doing while it records and how it ended;
// stopping it, or the program going away, ends the recording.
class StreamRecording final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(StreamRecording)

 public:
  enum class Outcome {
    Started,
    NoStream,       // no address to record
    NotRecordable,  // an address the recorder cannot take (mms, rtsp, ...)
    NotInstalled,   // no recorder on PATH
    NotStarted,     // found, but it could not be started
  };

  // A recorder asked to end has this long to finish its file before it is killed.
  static constexpr int stopGraceMs = 3000;

  explicit StreamRecording(ProcessStarter &starter, QObject *parent = nullptr);
  // Ends a recording still running.
  ~StreamRecording() override;

  // The recorder's program, empty when none is installed.
  static QString program();
  // Where recordings go: the music folder's "Tessivar! Broadcast" (made when missing).
  static QString outputFolder();
  // The recorder's arguments: the address, the folder, one file named `fileBase` (the recorder
  // adds the extension), no reconnecting once the stream ends.
  static QStringList arguments(const QString &address, const QString &folder, const QString &fileBase);
  // What a recorder that failed said last: its last error, or failing that its last line.
  static QString lastErrorOf(const QByteArray &output);

  // Starts recording the stream. One recording at a time: while one runs, nothing starts
  // (NotStarted) until it has ended.
  Outcome start(const QString &streamAddress, const QString &stationName);
  // Records what the built-in player plays through its engine (NoStream while it plays nothing).
  // The recording ends with the stream, or when stopped.
  Outcome startThrough(BuiltInPlayer &player);
  // Ends the recording: the recorder is asked to finish, and killed when it does not.
  void stop();

  [[nodiscard]] bool isRecording() const { return !process_.isNull() || !engine_.isNull() || engineClosing_; }
  [[nodiscard]] QString stationName() const { return stationName_; }
  // "Recording NAME  00:42  1.2 MB" while recording, empty otherwise.
  [[nodiscard]] QString statusText() const;

 signals:
  // Started, a second went by, or ended.
  void changed();
  // The recording is over: the file it wrote, or (when it wrote nothing or the recorder failed)
  // why not.
  void finished(const QString &stationName, const QString &file, const QString &error);

 private:
  // The station's name for the status and the file, the folder and the file's name.
  void nameFile(const QString &stationName, const QString &host);
  void onFinished(int exitCode, bool crashed);
  void onEngineChanged();
  // The engine finishes its file after its recording has ended: the file is looked for a few
  // times, up to stopGraceMs, before the ending is announced.
  void awaitEngineFile(int checksLeft);
  // The clock stops, the file is looked for, and the ending is announced.
  void announceEnd(QString error);
  QString writtenFile() const;

  ProcessStarter &starter_;
  QPointer<QProcess> process_;
  QPointer<BuiltInPlayer> engine_;
  QTimer *clock_ = nullptr;
  QElapsedTimer since_;
  QString stationName_;
  QString folder_;
  QString fileBase_;
  QByteArray output_;
  bool stopping_ = false;
  bool engineClosing_ = false;
};

}  // namespace tessivar
