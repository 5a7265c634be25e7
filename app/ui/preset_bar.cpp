#include "app/ui/preset_bar.h"

#include "library/preset_table.h"
#include "platform/ui/artwork.h"
#include "results/ui/results_grid.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QToolButton>

namespace tessivar {

namespace {

// A preset button: a picture button that accepts a dragged station.
class PresetButton final : public QToolButton
{
 public:
  PresetButton(int index, PresetBar *bar) : QToolButton(bar), index_(index), bar_(bar)
  {
    setObjectName(QStringLiteral("pPreset") + QString::number(index));
    setAccessibleName(QStringLiteral("Preset ") + QString::number(index + 1));
    setText(QString::number(index + 1));
    setIcon(artwork::icon(artwork::Picture::Preset));
    setIconSize(QSize(22, 22));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setToolTip(unassignedPresetName());
    setCursor(Qt::PointingHandCursor);
    setAcceptDrops(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // At the window's smallest width the ten buttons share what the caption leaves.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("10")) + 22 + 12);
  }

 protected:
  // Only a station dragged from a results grid of this program is taken.
  void dragEnterEvent(QDragEnterEvent *event) override
  {
    if (event->mimeData()->hasText() && qobject_cast<ResultsGrid *>(event->source()) != nullptr)
      event->acceptProposedAction();
  }
  void keyPressEvent(QKeyEvent *event) override
  {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
      emit bar_->presetPressed(index_);
      emit bar_->presetClicked(index_);
      return;
    }
    QToolButton::keyPressEvent(event);
  }
  void dropEvent(QDropEvent *event) override
  {
    event->acceptProposedAction();
    emit bar_->presetDropped(index_, event->mimeData()->text());
  }

 private:
  int index_;
  PresetBar *bar_;
};

}  // namespace

QString PresetBar::unassignedHint()
{
  return unassignedPresetName();
}

PresetBar::PresetBar(QWidget *parent) : QFrame(parent), presets_(new PresetTable(this))
{
  presets_->setObjectName(QStringLiteral("PresetTable"));
  connect(presets_, &PresetTable::slotChanged, this,
          [this](int index) { setPresetName(index, presets_->slot(index).name); });
  setObjectName(QStringLiteral("frameSide"));
  setAccessibleName(QStringLiteral("Station Presets"));
  setFrameShape(QFrame::StyledPanel);
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(6, 3, 6, 3);
  row->setSpacing(4);
  caption_ = new QLabel(QStringLiteral("Station Presets"), this);
  caption_->setObjectName(QStringLiteral("LabelS"));
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);
  // Wraps onto two lines rather than being cut when the window is at its narrowest.
  caption_->setWordWrap(true);
  row->addWidget(caption_);
  for (int index = 0; index < buttonCount; ++index) {
    auto *presetButton = new PresetButton(index, this);
    buttons_ << presetButton;
    row->addWidget(presetButton);
    connect(presetButton, &QToolButton::pressed, this, [this, index] { emit presetPressed(index); });
    connect(presetButton, &QToolButton::clicked, this, [this, index] { emit presetClicked(index); });
  }
}

PresetBar::~PresetBar() = default;

void PresetBar::setPresetName(int index, const QString &name)
{
  if (QToolButton *presetButton = button(index)) presetButton->setToolTip(name);
}

void PresetBar::showPressed(int index)
{
  for (int other = 0; other < buttons_.size(); ++other) {
    buttons_.at(other)->setIcon(
        artwork::icon(other == index ? artwork::Picture::PresetPressed : artwork::Picture::Preset));
  }
}

}  // namespace tessivar
