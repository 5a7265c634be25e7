#pragma once

#include <QFrame>
#include <QList>

class QLabel;
class QToolButton;

namespace tessivar {

// The presets frame frameSide: the caption LabelS "Station Presets" and the ten preset buttons
// pPreset0 ... pPreset9. Each button's tool tip is its preset's name (the drag-and-drop hint for
// an empty preset). A text dropped on a button is reported with the button's index.
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
  void setPresetName(int index, const QString &name);
  // The pressed look of an assigned preset that was last pressed; -1 shows none pressed.
  void showPressed(int index);

 signals:
  void presetPressed(int index);
  void presetClicked(int index);
  void presetDropped(int index, const QString &payload);

 private:
  QLabel *caption_ = nullptr;
  QList<QToolButton *> buttons_;
};

}  // namespace tessivar
