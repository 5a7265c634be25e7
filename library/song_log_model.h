#pragma once

#include <QAbstractTableModel>

namespace tessivar {

class SongLog;

// The song log as a table, newest first: time, station, title, stream address.
class SongLogModel final : public QAbstractTableModel
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SongLogModel)

 public:
  enum Column { Time, Station, Title, Address, ColumnCount };

  explicit SongLogModel(SongLog &log, QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The rows as text lines, fields separated by tabs, in the order given.
  QString linesOf(const QModelIndexList &rows) const;

 private:
  SongLog &log_;
  // The log drops its oldest songs past its capacity; rows follow its size.
  int rows_ = 0;
};

}  // namespace tessivar
