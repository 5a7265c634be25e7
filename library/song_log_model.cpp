#include "library/song_log_model.h"

#include "library/song_log.h"

#include <QLocale>

namespace tessivar {

SongLogModel::SongLogModel(SongLog &log, QObject *parent) : QAbstractTableModel(parent), log_(log)
{
  rows_ = int(log_.songs().size());
  connect(&log_, &SongLog::songsReplaced, this, [this] {
    beginResetModel();
    rows_ = int(log_.songs().size());
    endResetModel();
  });
  connect(&log_, &SongLog::songAdded, this, [this] {
    // Newest first: the new song is row 0; at capacity the oldest, the last row, went.
    const int now = int(log_.songs().size());
    if (now == rows_) {
      beginRemoveRows({}, rows_ - 1, rows_ - 1);
      --rows_;
      endRemoveRows();
    }
    beginInsertRows({}, 0, 0);
    rows_ = now;
    endInsertRows();
  });
}

int SongLogModel::rowCount(const QModelIndex &parent) const
{
  return parent.isValid() ? 0 : rows_;
}

int SongLogModel::columnCount(const QModelIndex &parent) const
{
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant SongLogModel::data(const QModelIndex &index, int role) const
{
  if (!index.isValid() || index.row() >= rows_ || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
    return {};
  const HeardSong &song = log_.songs().at(log_.songs().size() - 1 - index.row());
  switch (index.column()) {
    case Time:
      return QLocale().toString(song.time.toLocalTime(), QLocale::ShortFormat);
    case Station:
      return song.station;
    case Title:
      return song.title;
    case Address:
      return song.url;
    default:
      return {};
  }
}

QVariant SongLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case Time:
      return QStringLiteral("Time");
    case Station:
      return QStringLiteral("Station");
    case Title:
      return QStringLiteral("Title");
    case Address:
      return QStringLiteral("Address");
    default:
      return {};
  }
}

QString SongLogModel::linesOf(const QModelIndexList &rows) const
{
  QStringList lines;
  for (const QModelIndex &row : rows) {
    QStringList fields;
    for (int column = 0; column < ColumnCount; ++column)
      fields << data(index(row.row(), column), Qt::DisplayRole).toString();
    lines << fields.join(u'\t');
  }
  return lines.join(u'\n');
}

}  // namespace tessivar
