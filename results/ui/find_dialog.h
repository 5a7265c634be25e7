#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessivar {

class ResultsFinder;
class SettingsStore;

// The find dialog frmFind ("Find"): lblSearch "Find : ", the text box txtSearch and the buttons
// cmdOK ("&OK") and cmdCancel ("&Cancel"). It opens 500 twips right of and below the main
// window's corner with the text last sought, all of it selected. OK (or Enter in the box) seeks
// the text in the results; after a match its caption reads "Next" and the dialog stays open for
// the next match, when nothing is found it closes. Esc and Cancel close it. However it closes, the
// box's text is stored under "LastFind" (never read back: every run begins with an empty text).
// It deletes itself once closed.
class FindDialog final : public QDialog
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(FindDialog)

 public:
  FindDialog(ResultsFinder &finder, SettingsStore &settings, QWidget *mainWindow);
  ~FindDialog() override;

  void done(int result) override;

 private:
  void findNow();

  QPointer<ResultsFinder> finder_;
  SettingsStore &settings_;
  QLabel *lblSearch_ = nullptr;
  QLineEdit *txtSearch_ = nullptr;
  QPushButton *cmdOK_ = nullptr;
  QPushButton *cmdCancel_ = nullptr;
  bool saved_ = false;
};

}  // namespace tessivar
