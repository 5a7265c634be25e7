#pragma once

#include "scanner/scan_presets.h"

#include <QDialog>

class QComboBox;

namespace tessivar {

class Prompter;
class SettingsStore;

// frmScanPreset "Assign Preset": assigns the station the scanner played when the dialog opened to
// one of the ten presets. Set writes the preset at once and leaves the dialog open on the next
// free preset.
class ScanPresetDialog final : public QDialog
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ScanPresetDialog)

 public:
  ScanPresetDialog(SettingsStore &settings, Prompter &prompter, const QString &stationName,
                   const QString &stationUrl, QWidget *parent = nullptr);
  ~ScanPresetDialog() override;

  QComboBox *choices() const { return comboP_; }
  // cmdSet.
  void assign();

 signals:
  // A preset now holds this station (savepresetReg has written it).
  void presetAssigned(int slot, const QString &name, const QString &url);

 private:
  void fillChoices();

  SettingsStore &settings_;
  Prompter &prompter_;
  PresetEntry station_;
  QComboBox *comboP_ = nullptr;
};

}  // namespace tessivar
