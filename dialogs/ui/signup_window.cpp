#include "dialogs/ui/signup_window.h"

#include "base/product.h"
#include "base/settings_store.h"
#include "dialogs/signup_request.h"
#include "dialogs/signup_sender.h"
#include "platform/prompter.h"
#include "platform/ui/named_label.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessivar {

namespace {

QLabel *makeWrappedLabel(const QString &name, const QString &text, QWidget *parent)
{
  QLabel *label = makeLabel(name, text, parent);
  label->setWordWrap(true);
  return label;
}

QPushButton *makeButton(const QString &name, const QString &text, QWidget *parent)
{
  auto *button = new QPushButton(text, parent);
  button->setObjectName(name);
  // Enter presses OK only in the address box.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

SignupWindow::SignupWindow(const AppServices &services, QWidget *parent)
    : QDialog(parent), services_(services)
{
  setObjectName(QStringLiteral("frmEmail"));
  setWindowTitle(QStringLiteral("Product Updates"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  sender_ = new SignupSender(services.transfers, this);

  Label3 = makeWrappedLabel(
      QStringLiteral("Label3"),
      QStringLiteral("Please take a moment to let us know who you are so you can receive special "
                     "offers and updates."),
      this);
  Label1 = makeWrappedLabel(QStringLiteral("Label1"), QStringLiteral("Name"), this);
  txtName = new QLineEdit(this);
  txtName->setObjectName(QStringLiteral("txtName"));
  txtName->setAccessibleName(QStringLiteral("Name"));
  Label1->setBuddy(txtName);
  Label2 = makeWrappedLabel(QStringLiteral("Label2"), QStringLiteral("Email Address"), this);
  txtEmail = new QLineEdit(this);
  txtEmail->setObjectName(QStringLiteral("txtEmail"));
  txtEmail->setAccessibleName(QStringLiteral("Email Address"));
  Label2->setBuddy(txtEmail);
  Label4 = makeWrappedLabel(
      QStringLiteral("Label4"),
      QStringLiteral("*This information will not be sold or distributed under any circumstances."), this);
  QFont small = Label4->font();
  small.setItalic(true);
  Label4->setFont(small);
  cmdOK = makeButton(QStringLiteral("cmdOK"), QStringLiteral("&OK"), this);
  cmdCancel = makeButton(QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"), this);

  auto *form = new QGridLayout;
  form->addWidget(Label1, 0, 0);
  form->addWidget(txtName, 0, 1);
  form->addWidget(Label2, 1, 0);
  form->addWidget(txtEmail, 1, 1);
  form->setColumnStretch(1, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(Label3);
  layout->addSpacing(6);
  layout->addLayout(form);
  layout->addWidget(Label4);
  layout->addStretch(1);
  layout->addLayout(buttons);
  setMinimumWidth(400);

  connect(cmdOK, &QPushButton::clicked, this, &SignupWindow::onOK);
  connect(cmdCancel, &QPushButton::clicked, this, &SignupWindow::reject);
  connect(txtEmail, &QLineEdit::returnPressed, this, &SignupWindow::onOK);

  signup::countOffer(services_.settings);
}

SignupWindow::~SignupWindow() = default;

QString SignupWindow::failureText()
{
  return QStringLiteral(
      "Your details could not be sent. Please check your Internet connection and try again.");
}

void SignupWindow::onOK()
{
  if (sending_) return;
  const QString title = product::applicationTitle();
  if (!signup::emailAccepted(txtEmail->text())) {
    services_.prompter.ask(PromptIcon::Critical, title, QStringLiteral("Invalid e-mail address."));
    return;
  }
  if (!signup::nameAccepted(txtName->text())) {
    services_.prompter.ask(PromptIcon::Critical, title, QStringLiteral("Invalid name."));
    return;
  }
  auto sending = send();
}

QCoro::Task<> SignupWindow::send()
{
  QPointer<SignupWindow> self(this);
  const QString email = txtEmail->text();
  setSending(true);
  SettingsStore &store = services_.settings;
  store.setText(SettingKey::Email, email);
  const QString address =
      signup::requestAddress(store.siteHost(), email, txtName->text(), product::applicationName());

  const SignupSender::Result result = co_await sender_->send(address);
  // The program's closing may have taken the window away meanwhile.
  if (self.isNull() || !sending_) co_return;
  setSending(false);
  if (result == SignupSender::Result::Sent) {
    signup::recordSignup(store, email);
    accept();
    co_return;
  }
  services_.prompter.ask(PromptIcon::Critical, product::applicationTitle(), failureText());
}

void SignupWindow::setSending(bool sending)
{
  sending_ = sending;
  for (QWidget *control : {static_cast<QWidget *>(txtName), static_cast<QWidget *>(txtEmail),
                           static_cast<QWidget *>(cmdOK), static_cast<QWidget *>(cmdCancel)}) {
    control->setEnabled(!sending);
  }
}

void SignupWindow::reject()
{
  // Neither Cancel nor Escape ends a request under way.
  if (sending_) return;
  QDialog::reject();
}

void SignupWindow::closeEvent(QCloseEvent *event)
{
  if (sending_) {
    // The user's close box waits for the request; the program's own closing ends it.
    if (event->spontaneous()) {
      event->ignore();
      return;
    }
    setSending(false);
    sender_->cancel();
  }
  QDialog::closeEvent(event);
}

}  // namespace tessivar
