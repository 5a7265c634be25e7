#pragma once

#include <QObject>

class QItemSelectionModel;

namespace tessivar {

class StationList;

// Keeps a view's selection model and a StationList's selected flags and current index in step,
// both ways, so code that asks the list (selected count, selected flag, current index) sees
// what the user picked in the view. Lives as long as the selection model.
class StationListSelection final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(StationListSelection)

 public:
  StationListSelection(StationList *list, QItemSelectionModel *selection);
  ~StationListSelection() override;

 private:
  void takeFromView();
  void takeCurrentFromView();
  void showInView();
  void showCurrentInView();

  StationList *list_;
  QItemSelectionModel *selection_;
  bool syncing_ = false;
};

}  // namespace tessivar
