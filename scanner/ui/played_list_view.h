#pragma once

#include <QListView>

namespace tessivar {

class StationList;

// The played list lstPL on screen: shows a StationList and keeps its selection and current entry
// in step with the list's own, both ways. Enter, Delete and Ctrl+A are reported; a click only
// selects.
class PlayedListView final : public QListView
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PlayedListView)

 public:
  explicit PlayedListView(StationList &list, QWidget *parent = nullptr);
  ~PlayedListView() override;

 signals:
  void enterPressed();
  void deletePressed();

 protected:
  void keyPressEvent(QKeyEvent *event) override;

 private:
  void showListSelection();
  void takeViewSelection();

  StationList &list_;
  bool syncing_ = false;
};

}  // namespace tessivar
