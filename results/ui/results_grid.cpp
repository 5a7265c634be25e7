#include "results/ui/results_grid.h"

#include "base/setting_key.h"
#include "base/twips.h"
#include "platform/ui/screen_dpi.h"
#include "results/result_table_model.h"
#include "results/ui/status_picture_delegate.h"

#include <QAbstractButton>
#include <QCursor>
#include <QDrag>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace tessivar {

namespace {

constexpr Qt::KeyboardModifiers keyModifiers = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

// Shows the application's busy pointer for as long as it lives.
class BusyApplicationPointer
{
 public:
  BusyApplicationPointer() { QGuiApplication::setOverrideCursor(Qt::BusyCursor); }
  ~BusyApplicationPointer() { QGuiApplication::restoreOverrideCursor(); }
  BusyApplicationPointer(const BusyApplicationPointer &) = delete;
  BusyApplicationPointer &operator=(const BusyApplicationPointer &) = delete;
};

}  // namespace

ResultsGrid::ResultsGrid(Kind kind, results_layout::SortDirection &sortDirection, QWidget *parent)
    : QTableView(parent), kind_(kind), sortDirection_(sortDirection)
{
  const QString name = kind == Kind::Results ? QStringLiteral("MSHResults") : QStringLiteral("MSHResults2");
  setObjectName(name);
  setAccessibleName(kind == Kind::Results ? QStringLiteral("Search Results")
                                          : QStringLiteral("Additional Related Results"));
  horizontalHeader()->setAccessibleName(QStringLiteral("Columns"));
  verticalHeader()->setAccessibleName(QStringLiteral("Rows"));
  if (auto *corner = findChild<QAbstractButton *>())
    corner->setAccessibleName(QStringLiteral("Select all rows"));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(false);
  setSortingEnabled(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  setTextElideMode(Qt::ElideNone);
  // The grid's own 8-point type, which the column widths in twips are made for.
  QFont gridFont = font();
  gridFont.setPointSize(8);
  setFont(gridFont);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  QHeaderView *header = horizontalHeader();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setMinimumSectionSize(8);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setItemDelegateForColumn(0, new StatusPictureDelegate(this));

  connect(header, &QHeaderView::sectionClicked, this, &ResultsGrid::onHeaderClicked);
  connect(this, &QAbstractItemView::clicked, this, &ResultsGrid::onCellClicked);
}

ResultsGrid::~ResultsGrid() = default;

void ResultsGrid::setResultModel(ResultTableModel *model)
{
  model_ = model;
  setModel(model);
  applyColumnLayout();
}

ResultLayout ResultsGrid::currentLayout() const
{
  return layoutSource_ ? layoutSource_() : ResultLayout::Live;
}

void ResultsGrid::setStatusPictures(const QIcon &picture1, const QIcon &picture2)
{
  if (auto *delegate = qobject_cast<StatusPictureDelegate *>(itemDelegateForColumn(0)))
    delegate->setPictures(picture1, picture2);
  viewport()->update();
}

// --- rows -----------------------------------------------------------------------------------

int ResultsGrid::dataRowCount() const
{
  return model_ != nullptr ? model_->rowCount() : 0;
}

int ResultsGrid::rows() const
{
  return std::max(2, ResultTableModel::gridRow(dataRowCount()));
}

int ResultsGrid::currentRow() const
{
  const QModelIndex current = currentIndex();
  return ResultTableModel::gridRow(current.isValid() ? current.row() : 0);
}

int ResultsGrid::selectionEndRow() const
{
  const int current = currentRow();
  if (selectionModel() == nullptr) return current;
  const QModelIndexList selected = selectionModel()->selectedRows();
  if (selected.isEmpty()) return current;
  int first = ResultTableModel::gridRow(selected.first().row());
  int last = first;
  for (const QModelIndex &index : selected) {
    first = std::min(first, ResultTableModel::gridRow(index.row()));
    last = std::max(last, ResultTableModel::gridRow(index.row()));
  }
  if (current == first) return last;
  if (current == last) return first;
  return last;
}

void ResultsGrid::selectRows(int row, int selectionEnd)
{
  const int count = dataRowCount();
  if (count == 0 || selectionModel() == nullptr) return;
  row = std::clamp(row, 1, count);
  selectionEnd = std::clamp(selectionEnd, 1, count);
  const int first = std::min(row, selectionEnd);
  const int last = std::max(row, selectionEnd);
  const QItemSelection range(model_->index(ResultTableModel::modelRow(first), 0),
                             model_->index(ResultTableModel::modelRow(last), model_->columnCount() - 1));
  selectionModel()->setCurrentIndex(model_->index(ResultTableModel::modelRow(row), 0),
                                    QItemSelectionModel::NoUpdate);
  selectionModel()->select(range, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int ResultsGrid::topRow() const
{
  const int row = rowAt(0);
  return ResultTableModel::gridRow(std::max(row, 0));
}

void ResultsGrid::setTopRow(int row)
{
  const int count = dataRowCount();
  if (count == 0) return;
  scrollTo(model_->index(ResultTableModel::modelRow(std::clamp(row, 1, count)), 0),
           QAbstractItemView::PositionAtTop);
}

QString ResultsGrid::cellText(int row, int column) const
{
  return model_ != nullptr ? model_->text(ResultTableModel::modelRow(row), column) : QString();
}

ResultRow ResultsGrid::resultAt(int row) const
{
  return model_ != nullptr ? model_->resultAt(row, currentLayout()) : ResultRow();
}

// --- layout ---------------------------------------------------------------------------------

void ResultsGrid::applyColumnLayout()
{
  if (model_ != nullptr) {
    // The related grid always carries archive rows.
    model_->setColumnLayout(kind_ == Kind::Related ? ResultLayout::Archive : currentLayout());
  }
  applyColumnWidths();
}

void ResultsGrid::applyColumnWidths()
{
  if (model_ == nullptr) return;
  const ResultLayout layout = model_->columnLayout();
  const double resolution = screenDpi(this);
  const int available = viewport()->width();
  const auto widths = results_layout::columnWidths(layout, twips::fromPixels(available, resolution));
  int used = 0;
  for (int column = 0; column < results_layout::columnCount; ++column) {
    const bool hidden = column >= results_layout::firstHiddenColumn;
    setColumnHidden(column, hidden);
    if (hidden) continue;
    const int pixels = std::max(0, twips::toPixels(widths[std::size_t(column)], resolution));
    setColumnWidth(column, pixels);
    used += pixels;
  }
  // Rounding each column may overshoot the grid by a pixel or two; the widest column gives way.
  if (used > available) {
    const int widest = layout == ResultLayout::Live ? 0 : 3;
    setColumnWidth(widest, std::max(0, columnWidth(widest) - (used - available)));
  }
}

bool ResultsGrid::viewportEvent(QEvent *event)
{
  const bool result = QTableView::viewportEvent(event);
  if (event->type() == QEvent::Resize) applyColumnWidths();
  return result;
}

void ResultsGrid::selectFirstRow()
{
  selectRows(1, 1);
}

void ResultsGrid::setRedraw(bool on)
{
  // What the grid holds now is painted before painting stops, so emptied rows do not stay on
  // the screen while a search fills the grid again.
  if (!on && updatesEnabled()) repaint();
  setUpdatesEnabled(on);
  if (on) viewport()->update();
}

void ResultsGrid::showBusyPointer(bool busy)
{
  if (busy) {
    setCursor(Qt::BusyCursor);
  } else {
    setCursor(Qt::ArrowCursor);
  }
}

// --- sorting --------------------------------------------------------------------------------

void ResultsGrid::sortByHeader(int column)
{
  const Qt::SortOrder order = sortDirection_.flip();
  if (dataRowCount() == 0) return;
  setRedraw(false);
  const results_layout::SortKey key = results_layout::headerSortKey(currentLayout(), column);
  model_->sortRows(key.column, order,
                   key.numeric ? ResultTableModel::SortKind::Numeric : ResultTableModel::SortKind::Text);
  setRedraw(true);
  selectRows(1, 1);
}

// --- keys -----------------------------------------------------------------------------------

void ResultsGrid::keyPressEvent(QKeyEvent *event)
{
  if (kind_ == Kind::Related) {
    QTableView::keyPressEvent(event);
    if (!event->text().isEmpty() && relatedGridReacts() && !isPreVerifyBusy()) rowClickSteps();
    return;
  }

  emit streamFormatCheckRequested();
  const Qt::KeyboardModifiers modifiers = event->modifiers() & keyModifiers;
  const int last = rows() - 1;
  if (event->key() == Qt::Key_Home && modifiers == Qt::NoModifier) {
    selectRows(1, 1);
    setTopRow(1);
  } else if (event->key() == Qt::Key_End && modifiers == Qt::NoModifier) {
    selectRows(last, last);
    setTopRow(last);
  } else if (event->key() == Qt::Key_Home && modifiers == Qt::ShiftModifier) {
    selectRows(currentRow(), 1);
    setTopRow(1);
  } else if (event->key() == Qt::Key_End && modifiers == Qt::ShiftModifier) {
    selectRows(currentRow(), last);
    setTopRow(last);
  } else if (event->key() == Qt::Key_A && modifiers == Qt::ControlModifier) {
    // Every data row: the last row becomes current and the selection reaches back to row 1.
    selectRows(last, 1);
    setTopRow(1);
    emit streamFormatCheckRequested();
  } else {
    QTableView::keyPressEvent(event);
  }
  showStatusLink();
}

void ResultsGrid::keyReleaseEvent(QKeyEvent *event)
{
  QTableView::keyReleaseEvent(event);
  if (kind_ != Kind::Results || event->isAutoRepeat()) return;
  showStatusLink();
  emit streamFormatCheckRequested();
}

void ResultsGrid::showStatusLink()
{
  lastWebsiteShown_.clear();
  emit statusLinkChanged(currentCell(results_layout::statusLinkColumn));
}

// --- mouse ----------------------------------------------------------------------------------

void ResultsGrid::focusInEvent(QFocusEvent *event)
{
  QTableView::focusInEvent(event);
  emit gridFocused();
}

bool ResultsGrid::relatedGridReacts() const
{
  return kind_ == Kind::Results || dataRowCount() >= 2;
}

void ResultsGrid::onHeaderClicked(int column)
{
  if (isPreVerifyBusy() || !relatedGridReacts()) return;
  emit streamFormatCheckRequested();
  sortByHeader(column);
}

void ResultsGrid::onCellClicked(const QModelIndex &index)
{
  if (!index.isValid() || isPreVerifyBusy() || !relatedGridReacts()) return;
  rowClickSteps();
}

void ResultsGrid::rowClickSteps()
{
  emit streamFormatCheckRequested();
  if (miniBrowserSource_ && miniBrowserSource_()) {
    const ResultLayout layout = kind_ == Kind::Related ? ResultLayout::Archive : currentLayout();
    const QString website = currentCell(results_layout::websiteColumn(layout));
    if (!results_layout::isPreviewableWebsite(website) || website == lastWebsiteShown_) return;
    lastWebsiteShown_ = website;
    emit websitePreviewRequested(website);
    return;
  }
  lastWebsiteShown_.clear();
  emit statusLinkChanged(currentCell(results_layout::statusLinkColumn));
  if (kind_ == Kind::Results) emit relatedResultsRequested(currentRow());
}

void ResultsGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
  if (isPreVerifyBusy()) return;
  QTableView::mouseDoubleClickEvent(event);
  playRow();
}

void ResultsGrid::playRow()
{
  if (isPreVerifyBusy()) return;
  const BusyApplicationPointer busy;
  showBusyPointer(true);
  const int row = currentRow();
  const int end = selectionEndRow();
  const ResultRow result = resultAt(row);
  if (result.kind == ResultRow::Kind::Station) {
    emit playRequested(result.streamUrl, result.name);
  } else if (row == end) {
    // The related grid's lone message row ("No additional information available.") has no address.
    if (kind_ == Kind::Results || !result.streamUrl.isEmpty())
      emit playRequested(result.streamUrl, result.name);
  } else if (kind_ == Kind::Related) {
    QList<int> selected;
    for (int each = std::min(row, end); each <= std::max(row, end); ++each) selected << each;
    emit playlistRequested(selected);
  }
  showBusyPointer(false);
}

void ResultsGrid::mousePressEvent(QMouseEvent *event)
{
  const bool shiftOnly = (event->modifiers() & keyModifiers) == Qt::ShiftModifier;
  if (!shiftOnly || currentLayout() != ResultLayout::Live || dataRowCount() == 0) {
    QTableView::mousePressEvent(event);
    return;
  }
  // The row grabbed becomes the current row, then its station travels to a preset button.
  const QModelIndex grabbed = indexAt(event->position().toPoint());
  if (grabbed.isValid()) {
    const int row = ResultTableModel::gridRow(grabbed.row());
    selectRows(row, row);
  }
  const ResultRow station = currentResult();
  startPresetDrag(results_layout::presetDragPayload(station.name, station.streamUrl));
}

void ResultsGrid::startPresetDrag(const QString &payload)
{
  emit presetDragStarted(payload);
  if (dragStarter_) {
    dragStarter_(payload);
    return;
  }
  auto *data = new QMimeData;
  data->setText(payload);
  auto *drag = new QDrag(this);
  drag->setMimeData(data);
  const QString name = payload.section(presetSeparator, 0, 0);
  const QFontMetrics metrics = fontMetrics();
  QPixmap picture(metrics.horizontalAdvance(name) + 12, metrics.height() + 6);
  picture.fill(palette().color(QPalette::ToolTipBase));
  QPainter painter(&picture);
  painter.setPen(palette().color(QPalette::ToolTipText));
  painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
  painter.drawText(picture.rect(), Qt::AlignCenter, name);
  painter.end();
  drag->setPixmap(picture);
  drag->exec(Qt::CopyAction);
}

}  // namespace tessivar
