#include "scanner/ui/scan_preset_dialog.h"

#include "base/product.h"
#include "base/settings_store.h"
#include "platform/prompter.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessivar {

ScanPresetDialog::ScanPresetDialog(SettingsStore &settings, Prompter &prompter, const QString &stationName,
                                   const QString &stationUrl, QWidget *parent)
    : QDialog(parent),
      settings_(settings),
      prompter_(prompter),
      station_(stationPreset(stationName, stationUrl))
{
  setObjectName(QStringLiteral("frmScanPreset"));
  setWindowTitle(QStringLiteral("Assign Preset"));
  auto *label = new QLabel(QStringLiteral("Select Preset to Assign Station "), this);
  label->setObjectName(QStringLiteral("Label1"));
  comboP_ = new QComboBox(this);
  comboP_->setObjectName(QStringLiteral("comboP"));
  comboP_->setEditable(false);
  comboP_->setAccessibleName(QStringLiteral("Preset"));
  label->setBuddy(comboP_);
  connect(comboP_, &QComboBox::activated, this, [this] { comboP_->setToolTip(comboP_->currentText()); });
  auto *cmdSet = new QPushButton(QStringLiteral("&Set"), this);
  cmdSet->setObjectName(QStringLiteral("cmdSet"));
  cmdSet->setDefault(true);
  connect(cmdSet, &QPushButton::clicked, this, &ScanPresetDialog::assign);
  auto *cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdSet);
  buttons->addWidget(cmdCancel);
  auto *column = new QVBoxLayout(this);
  column->addWidget(label);
  column->addWidget(comboP_);
  column->addLayout(buttons);
  fillChoices();
}

ScanPresetDialog::~ScanPresetDialog() = default;

void ScanPresetDialog::fillChoices()
{
  const QStringList choices = presetChoices(settings_);
  comboP_->clear();
  comboP_->addItems(choices);
  comboP_->setCurrentIndex(firstFreeChoice(choices));
}

void ScanPresetDialog::assign()
{
  const int slot = presetSlotOfChoice(comboP_->currentText());
  if (slot < 0) return;
  // Written before it is reported.
  settings_.setPreset(slot, storedPreset(station_));
  emit presetAssigned(slot, station_.name, station_.url);
  const QPointer<ScanPresetDialog> self(this);
  prompter_.ask(PromptIcon::None, product::applicationName(),
                QStringLiteral("Preset ") + QString::number(slot + 1) + QStringLiteral(" Assigned to ") +
                    station_.name);
  if (self) fillChoices();
}

}  // namespace tessivar
