#pragma once

#include "scanner/scan_presets.h"

#include <QDialog>

#include <functional>

class QComboBox;

namespace tessivar {

class SettingsStore;

// frmScanPreset "Assign Preset": assigns the station the scanner played when the dialog opened to
// one of the ten presets. Set stores the preset at once through `assign` (which tells the user how
// it went) and leaves the dialog open on the next free preset.
class ScanPresetDialog final : public QDialog
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ScanPresetDialog)

 public:
  using Assign = std::function<bool(int slot, const QString &name, const QString &url)>;
  ScanPresetDialog(const SettingsStore &settings, Assign assign, const QString &stationName,
                   const QString &stationUrl, QWidget *parent = nullptr);
  ~ScanPresetDialog() override;

  QComboBox *choices() const { return comboP_; }
  // cmdSet.
  void assign();

 signals:
  // A preset now holds this station (it has been written).
  void presetAssigned(int slot, const QString &name, const QString &url);

 private:
  void fillChoices();

  const SettingsStore &settings_;
  Assign assign_;
  PresetEntry station_;
  QComboBox *comboP_ = nullptr;
};

}  // namespace tessivar
