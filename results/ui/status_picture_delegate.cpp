#include "results/ui/status_picture_delegate.h"

#include "results/result_table_model.h"

namespace tessivar {

void StatusPictureDelegate::setPictures(const QIcon &picture1, const QIcon &picture2)
{
  picture1_ = picture1;
  picture2_ = picture2;
}

void StatusPictureDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
  QStyledItemDelegate::initStyleOption(option, index);
  const int picture = index.data(ResultTableModel::StatusPictureRole).toInt();
  const QIcon &icon = picture == ResultTableModel::Picture1   ? picture1_
                      : picture == ResultTableModel::Picture2 ? picture2_
                                                              : QIcon();
  if (icon.isNull()) return;
  option->icon = icon;
  option->features |= QStyleOptionViewItem::HasDecoration;
  option->decorationSize = QSize(16, 16);
  option->decorationAlignment = Qt::AlignCenter;
}

}  // namespace tessivar
