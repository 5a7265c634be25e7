#pragma once

#include <QString>
#include <QStringList>

namespace tessivar {

class ProcessStarter;

// The stream recorder: "streamripper" found on PATH, started with the stream's address and a
// folder under the user's music folder.
class StreamRecorder
{
 public:
  enum class Outcome {
    Started,
    NotInstalled,  // no recorder on PATH
    NotStarted,    // found, but it could not be started
    NoStream,      // nothing to record: no http or https address
  };

  explicit StreamRecorder(ProcessStarter &starter) : starter_(starter) {}

  // The recorder's program, empty when none is installed.
  static QString program();
  // Where recordings go: the music folder's "Tessivar! Broadcast" (made when missing).
  static QString outputFolder();
  // The recorder's arguments: the address, then "-d" and the folder.
  static QStringList arguments(const QString &address, const QString &folder);

  Outcome record(const QString &streamAddress);

 private:
  ProcessStarter &starter_;
};

}  // namespace tessivar
