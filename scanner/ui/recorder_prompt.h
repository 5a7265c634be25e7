#pragma once

#include <QDialog>

namespace tessivar {

struct AppServices;

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

// CheckRecord: records the stream with the recorder, or shows frmTotal: modal when no recorder is
// installed, without modality when one is found but does not start. A stream that cannot be
// recorded (no http or https address) gets "No item selected.". Returns the window it showed, if
// any; it deletes itself when closed.
QDialog *CheckRecord(const AppServices &services, const QString &streamAddress, QWidget *parent);

}  // namespace tessivar
