#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

namespace tessivar {

// Draws the status picture of an archive row (picture 1 or 2 of the small-icon list) in its cell.
class StatusPictureDelegate final : public QStyledItemDelegate
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(StatusPictureDelegate)

 public:
  explicit StatusPictureDelegate(QObject *parent = nullptr) : QStyledItemDelegate(parent) {}
  void setPictures(const QIcon &picture1, const QIcon &picture2);

 protected:
  void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

 private:
  QIcon picture1_;
  QIcon picture2_;
};

}  // namespace tessivar
