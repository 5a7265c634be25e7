#include "scanner/ui/played_list_view.h"

#include "platform/station_list.h"

#include <QKeyEvent>

namespace tessivar {

PlayedListView::PlayedListView(StationList &list, QWidget *parent) : QListView(parent), list_(list)
{
  setModel(&list_);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformItemSizes(true);
  connect(&list_, &StationList::selectionChanged, this, &PlayedListView::showListSelection);
  connect(&list_, &StationList::currentIndexChanged, this, &PlayedListView::showListSelection);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &PlayedListView::takeViewSelection);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &PlayedListView::takeViewSelection);
}

PlayedListView::~PlayedListView() = default;

void PlayedListView::showListSelection()
{
  if (syncing_) return;
  syncing_ = true;
  QItemSelection selection;
  for (int row = 0; row < list_.count(); ++row) {
    if (list_.isSelected(row)) selection.select(list_.index(row), list_.index(row));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  const int current = list_.currentIndex();
  selectionModel()->setCurrentIndex(current < 0 ? QModelIndex() : list_.index(current),
                                    QItemSelectionModel::NoUpdate);
  if (current >= 0) scrollTo(list_.index(current));
  syncing_ = false;
}

void PlayedListView::takeViewSelection()
{
  if (syncing_) return;
  syncing_ = true;
  for (int row = 0; row < list_.count(); ++row)
    list_.setSelected(row, selectionModel()->isSelected(list_.index(row)));
  list_.setCurrentIndex(currentIndex().isValid() ? currentIndex().row() : -1);
  syncing_ = false;
}

void PlayedListView::keyPressEvent(QKeyEvent *event)
{
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit enterPressed();
    return;
  }
  if (event->key() == Qt::Key_Delete) {
    emit deletePressed();
    return;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    list_.selectAll();
    return;
  }
  QListView::keyPressEvent(event);
}

}  // namespace tessivar
