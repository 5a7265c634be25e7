#pragma once

#include "platform/app_services.h"

#include <QDialog>

#include <qcoro/qcorotask.h>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessivar {

class SignupSender;

// frmEmail, "Product Updates": asks for a name and an e-mail address and sends them to the maker's
// mailing list. Making the window is its load, which counts the offer in "EMR". While the request
// is under way the boxes and buttons are disabled and the user cannot close the window; the
// program's own closing still can. A completed sign-up stores "EMR" = 2 and "Email" and closes the
// window; a failed or unanswered one says so and leaves the window to try again or cancel.
class SignupWindow final : public QDialog
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SignupWindow)

 public:
  explicit SignupWindow(const AppServices &services, QWidget *parent = nullptr);
  ~SignupWindow() override;

  SignupSender &sender() { return *sender_; }
  bool isSending() const { return sending_; }

  // The message shown when the request failed or went unanswered.
  static QString failureText();

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent *event) override;

 private:
  void onOK();
  QCoro::Task<> send();
  void setSending(bool sending);

  AppServices services_;
  SignupSender *sender_ = nullptr;
  bool sending_ = false;

  QLabel *Label1 = nullptr;
  QLineEdit *txtName = nullptr;
  QLabel *Label2 = nullptr;
  QLineEdit *txtEmail = nullptr;
  QLabel *Label3 = nullptr;
  QLabel *Label4 = nullptr;
  QPushButton *cmdOK = nullptr;
  QPushButton *cmdCancel = nullptr;
};

}  // namespace tessivar
