#pragma once

#include <QDialog>

namespace tessivar {

struct AppServices;
class StreamRecording;

// frmTotal "ERROR : Missing Component": says that recording needs the recorder; "Get Info" opens
// the recorder's page on the maker's site and leaves the window open.
class RecorderPrompt final : public QDialog
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(RecorderPrompt)

 public:
  RecorderPrompt(const AppServices &services, QWidget *parent = nullptr);
  ~RecorderPrompt() override;
};

// CheckRecord: while a recording runs, stops it. Otherwise records the stream with the recorder, or
// shows frmTotal: modal when no recorder is installed, without modality when one is found but does
// not start. No stream gets "No item selected."; an address the recorder cannot take says so.
// Returns the window it showed, if any; it deletes itself when closed.
QDialog *CheckRecord(const AppServices &services, StreamRecording &recording, const QString &streamAddress,
                     const QString &stationName, QWidget *parent);

}  // namespace tessivar
