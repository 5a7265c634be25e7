#include "platform/station_list_selection.h"

#include "platform/station_list.h"

#include <QItemSelectionModel>

namespace tessivar {

StationListSelection::StationListSelection(StationList *list, QItemSelectionModel *selection)
    : QObject(selection), m_list(list), m_selection(selection)
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
  if (m_syncing || m_selection->model() != m_list)
    return;
  m_syncing = true;
  for (int row = 0; row < m_list->count(); ++row)
    m_list->setSelected(row, m_selection->isRowSelected(row, {}));
  m_syncing = false;
}

void StationListSelection::takeCurrentFromView()
{
  if (m_syncing || m_selection->model() != m_list)
    return;
  m_syncing = true;
  m_list->setCurrentIndex(m_selection->currentIndex().isValid() ? m_selection->currentIndex().row() : -1);
  m_syncing = false;
}

void StationListSelection::showInView()
{
  if (m_syncing || m_selection->model() != m_list)
    return;
  m_syncing = true;
  QItemSelection wanted;
  for (int row = 0; row < m_list->count(); ++row) {
    if (m_list->isSelected(row))
      wanted.select(m_list->index(row), m_list->index(row));
  }
  m_selection->select(wanted, QItemSelectionModel::ClearAndSelect);
  m_syncing = false;
}

void StationListSelection::showCurrentInView()
{
  if (m_syncing || m_selection->model() != m_list)
    return;
  m_syncing = true;
  m_selection->setCurrentIndex(m_list->index(m_list->currentIndex()), QItemSelectionModel::NoUpdate);
  m_syncing = false;
}

}  // namespace tessivar
