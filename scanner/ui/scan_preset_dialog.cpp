#include "scanner/ui/scan_preset_dialog.h"

#include "base/settings_store.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessivar {

ScanPresetDialog::ScanPresetDialog(const SettingsStore &settings, Assign assign, const QString &stationName,
                                   const QString &stationUrl, QWidget *parent)
    : QDialog(parent),
      settings_(settings),
      assign_(std::move(assign)),
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
  if (slot < 0 || !assign_) return;
  const QPointer<ScanPresetDialog> self(this);
  // A preset that could not be written has been reported as such, and is not announced.
  const bool stored = assign_(slot, station_.name, station_.url);
  if (!self || !stored) return;
  emit presetAssigned(slot, station_.name, station_.url);
  fillChoices();
}

}  // namespace tessivar
