#include "results/ui/find_dialog.h"

#include "base/settings_store.h"
#include "base/twips.h"
#include "platform/ui/screen_dpi.h"
#include "results/ui/find_in_grid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessivar {

namespace {

constexpr double offsetTwips = 500;

}  // namespace

FindDialog::FindDialog(ResultsFinder &finder, SettingsStore &settings, QWidget *mainWindow)
    : QDialog(mainWindow), finder_(&finder), settings_(settings)
{
  setObjectName(QStringLiteral("frmFind"));
  setWindowTitle(QStringLiteral("Find"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowModality(Qt::ApplicationModal);

  lblSearch_ = new QLabel(QStringLiteral("Find : "), this);
  lblSearch_->setObjectName(QStringLiteral("lblSearch"));
  txtSearch_ = new QLineEdit(this);
  txtSearch_->setObjectName(QStringLiteral("txtSearch"));
  txtSearch_->setAccessibleName(QStringLiteral("Find"));
  lblSearch_->setBuddy(txtSearch_);
  cmdOK_ = new QPushButton(QStringLiteral("&OK"), this);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdOK_->setDefault(true);  // Enter in the box presses it
  cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel_->setAutoDefault(false);

  auto *textRow = new QHBoxLayout;
  textRow->addWidget(lblSearch_);
  textRow->addWidget(txtSearch_, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  auto *column = new QVBoxLayout(this);
  column->addLayout(textRow);
  column->addLayout(buttons);
  txtSearch_->setMinimumWidth(txtSearch_->fontMetrics().averageCharWidth() * 32);

  txtSearch_->setText(finder.lastFindText());
  txtSearch_->selectAll();
  connect(txtSearch_, &QLineEdit::textChanged, this, [this](const QString &text) {
    if (finder_) finder_->setLastFindText(text);
  });
  connect(cmdOK_, &QPushButton::clicked, this, &FindDialog::findNow);
  connect(cmdCancel_, &QPushButton::clicked, this, &FindDialog::reject);

  if (mainWindow != nullptr) {
    const double dpi = screenDpi(mainWindow);
    const int offset = twips::toPixels(offsetTwips, dpi);
    move(mainWindow->frameGeometry().topLeft() + QPoint(offset, offset));
  }
}

FindDialog::~FindDialog() = default;

void FindDialog::findNow()
{
  if (!finder_) return;
  const QPointer<FindDialog> self(this);
  const bool found = finder_->findText(txtSearch_->text());
  if (!self) return;
  if (found) {
    cmdOK_->setText(QStringLiteral("Next"));
    return;
  }
  reject();
}

void FindDialog::done(int result)
{
  if (!saved_) {
    saved_ = true;
    settings_.setText(SettingKey::LastFind, txtSearch_->text());
  }
  QDialog::done(result);
}

}  // namespace tessivar
