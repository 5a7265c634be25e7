#include "platform/station_list_selection.h"

#include "platform/station_list.h"

#include <QItemSelectionModel>

namespace tessivar {

StationListSelection::StationListSelection(StationList *list, QItemSelectionModel *selection)
    : QObject(selection), list_(list), selection_(selection)
{
  connect(selection, &QItemSelectionModel::selectionChanged, this, &StationListSelection::takeFromView);
  connect(selection, &QItemSelectionModel::currentChanged, this, &StationListSelection::takeCurrentFromView);
  connect(list, &StationList::selectionChanged, this, &StationListSelection::showInView);
  connect(list, &StationList::currentIndexChanged, this, &StationListSelection::showCurrentInView);
  connect(list, &QAbstractItemModel::modelReset, this, &StationListSelection::showInView);
  showInView();
  showCurrentInView();
}

StationListSelection::~StationListSelection() = default;

void StationListSelection::takeFromView()
{
  if (syncing_ || selection_->model() != list_) return;
  syncing_ = true;
  for (int row = 0; row < list_->count(); ++row) list_->setSelected(row, selection_->isRowSelected(row, {}));
  syncing_ = false;
}

void StationListSelection::takeCurrentFromView()
{
  if (syncing_ || selection_->model() != list_) return;
  syncing_ = true;
  list_->setCurrentIndex(selection_->currentIndex().isValid() ? selection_->currentIndex().row() : -1);
  syncing_ = false;
}

void StationListSelection::showInView()
{
  if (syncing_ || selection_->model() != list_) return;
  syncing_ = true;
  QItemSelection wanted;
  for (int row = 0; row < list_->count(); ++row) {
    if (list_->isSelected(row)) wanted.select(list_->index(row), list_->index(row));
  }
  selection_->select(wanted, QItemSelectionModel::ClearAndSelect);
  syncing_ = false;
}

void StationListSelection::showCurrentInView()
{
  if (syncing_ || selection_->model() != list_) return;
  syncing_ = true;
  selection_->setCurrentIndex(list_->index(list_->currentIndex()), QItemSelectionModel::NoUpdate);
  syncing_ = false;
}

}  // namespace tessivar
