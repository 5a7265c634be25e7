#pragma once

#include <QFrame>
#include <QList>

class QLabel;
class QToolButton;

namespace tessivar {

class PresetTable;

// The presets frame frameSide: the caption LabelS "Station Presets", the ten preset buttons
// pPreset0 ... pPreset9 and the preset table they show. Each button's tool tip is its preset's
// name (the drag-and-drop hint for an empty preset), kept in step with the table. A press (mouse
// down, or Space), a click, Enter (a press, then a click) and a station dragged from the results
// grid onto a button are reported with the button's index.
class PresetBar final : public QFrame
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PresetBar)

 public:
  static constexpr int buttonCount = 10;
  // The name of an unassigned preset, shown as its tool tip.
  static QString unassignedHint();

  explicit PresetBar(QWidget *parent = nullptr);
  ~PresetBar() override;

  QToolButton *button(int index) const { return buttons_.value(index); }
  PresetTable &presets() { return *presets_; }
  void setPresetName(int index, const QString &name);
  // The pressed look of an assigned preset that was last pressed; -1 shows none pressed.
  void showPressed(int index);

 signals:
  void presetPressed(int index);
  void presetClicked(int index);
  void presetDropped(int index, const QString &payload);

 private:
  PresetTable *presets_ = nullptr;
  QLabel *caption_ = nullptr;
  QList<QToolButton *> buttons_;
};

}  // namespace tessivar
