#include "results/result_table_model.h"

#include "search/result_number.h"

#include <QBrush>

#include <algorithm>
#include <numeric>

namespace tessivar {

ResultTableModel::Row ResultTableModel::Row::fromCells(const std::array<QStringView, ColumnCount> &cells,
                                                       int picture)
{
  Row row;
  qsizetype total = 0;
  for (const QStringView cell : cells)
    total += cell.size();
  row.text.reserve(total);
  for (int column = 0; column < ColumnCount; ++column) {
    row.text.append(cells[std::size_t(column)]);
    row.ends[std::size_t(column)] = int(row.text.size());
  }
  row.picture = picture;
  return row;
}

QStringView ResultTableModel::Row::cell(int column) const
{
  if (column < 0 || column >= ColumnCount)
    return {};
  const int begin = column == 0 ? 0 : ends[std::size_t(column - 1)];
  return QStringView(text).sliced(begin, ends[std::size_t(column)] - begin);
}

void ResultTableModel::Row::setCell(int column, QStringView value)
{
  if (column < 0 || column >= ColumnCount)
    return;
  std::array<QString, ColumnCount> copies;
  std::array<QStringView, ColumnCount> cells;
  for (int c = 0; c < ColumnCount; ++c) {
    copies[std::size_t(c)] = c == column ? value.toString() : cell(c).toString();
    cells[std::size_t(c)] = copies[std::size_t(c)];
  }
  Row rebuilt = fromCells(cells, picture);
  text = std::move(rebuilt.text);
  ends = rebuilt.ends;
}

ResultTableModel::ResultTableModel(QObject *parent) : QAbstractTableModel(parent) {}

ResultTableModel::~ResultTableModel() = default;

int ResultTableModel::rowCount(const QModelIndex &parent) const
{
  return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultTableModel::columnCount(const QModelIndex &parent) const
{
  return parent.isValid() ? 0 : ColumnCount;
}

bool ResultTableModel::validCell(int row, int column) const
{
  return row >= 0 && row < int(m_rows.size()) && column >= 0 && column < ColumnCount;
}

QVariant ResultTableModel::data(const QModelIndex &index, int role) const
{
  if (!index.isValid() || !validCell(index.row(), index.column()))
    return {};
  const Row &r = m_rows[std::size_t(index.row())];
  switch (role) {
  case Qt::DisplayRole:
  case Qt::EditRole:
    return r.cell(index.column()).toString();
  case Qt::ForegroundRole:
    if (r.colors.empty() || !r.colors[std::size_t(index.column())].isValid())
      return {};
    return QBrush(r.colors[std::size_t(index.column())]);
  case Qt::TextAlignmentRole:
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  case StatusPictureRole:
    return index.column() == 0 ? QVariant(r.picture) : QVariant();
  default:
    return {};
  }
}

bool ResultTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
  if (!index.isValid() || !validCell(index.row(), index.column()))
    return false;
  switch (role) {
  case Qt::DisplayRole:
  case Qt::EditRole:
    setText(index.row(), index.column(), value.toString());
    return true;
  case Qt::ForegroundRole:
    setTextColor(index.row(), index.column(),
                 value.canConvert<QBrush>() ? value.value<QBrush>().color() : value.value<QColor>());
    return true;
  case StatusPictureRole:
    if (index.column() != 0)
      return false;
    setStatusPicture(index.row(), value.toInt());
    return true;
  default:
    return false;
  }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
    return QAbstractTableModel::headerData(section, orientation, role);
  return headerText(m_layout, section);
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex &index) const
{
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool ResultTableModel::removeRows(int row, int count, const QModelIndex &parent)
{
  if (parent.isValid() || row < 0 || count <= 0 || row > int(m_rows.size()) - count)
    return false;
  beginRemoveRows({}, row, row + count - 1);
  m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
  endRemoveRows();
  return true;
}

void ResultTableModel::sort(int column, Qt::SortOrder order)
{
  sortRows(column, order, SortKind::Text);
}

QString ResultTableModel::headerText(ResultLayout layout, int column)
{
  static const std::array<const char16_t *, 4> live{u"Station", u"Format", u"Location", u"Speed Kb/s"};
  static const std::array<const char16_t *, 4> archive{u"", u"Len", u"BPS", u"Title"};
  if (column < 0 || column > 3)
    return {};
  return QString::fromUtf16((layout == ResultLayout::Live ? live : archive)[std::size_t(column)]);
}

void ResultTableModel::setColumnLayout(ResultLayout layout)
{
  if (layout == m_layout)
    return;
  m_layout = layout;
  emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void ResultTableModel::clear()
{
  if (m_rows.empty())
    return;
  beginResetModel();
  m_rows.clear();
  m_rows.shrink_to_fit();
  endResetModel();
}

void ResultTableModel::setRowCount(int rows)
{
  rows = std::max(rows, 0);
  const int current = int(m_rows.size());
  if (rows < current) {
    removeRows(rows, current - rows);
  } else if (rows > current) {
    beginInsertRows({}, current, rows - 1);
    m_rows.resize(std::size_t(rows));
    endInsertRows();
  }
}

QString ResultTableModel::text(int row, int column) const
{
  return validCell(row, column) ? m_rows[std::size_t(row)].cell(column).toString() : QString();
}

void ResultTableModel::setText(int row, int column, const QString &text)
{
  if (!validCell(row, column))
    return;
  Row &r = m_rows[std::size_t(row)];
  if (r.cell(column) == text)
    return;
  r.setCell(column, text);
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

int ResultTableModel::statusPicture(int row) const
{
  return validCell(row, 0) ? m_rows[std::size_t(row)].picture : int(NoPicture);
}

void ResultTableModel::setStatusPicture(int row, int picture)
{
  if (!validCell(row, 0) || m_rows[std::size_t(row)].picture == picture)
    return;
  m_rows[std::size_t(row)].picture = picture;
  const QModelIndex changed = index(row, 0);
  emit dataChanged(changed, changed, {StatusPictureRole});
}

QColor ResultTableModel::textColor(int row, int column) const
{
  if (!validCell(row, column) || m_rows[std::size_t(row)].colors.empty())
    return {};
  return m_rows[std::size_t(row)].colors[std::size_t(column)];
}

void ResultTableModel::setTextColor(int row, int column, const QColor &color)
{
  if (!validCell(row, column))
    return;
  Row &r = m_rows[std::size_t(row)];
  if (r.colors.empty()) {
    if (!color.isValid())
      return;
    r.colors.resize(ColumnCount);
  }
  r.colors[std::size_t(column)] = color;
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::ForegroundRole});
}

void ResultTableModel::setRow(int row, Row data)
{
  if (row < 0 || row >= int(m_rows.size()))
    return;
  m_rows[std::size_t(row)] = std::move(data);
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void ResultTableModel::appendRows(std::vector<Row> rows)
{
  if (rows.empty())
    return;
  const int first = int(m_rows.size());
  beginInsertRows({}, first, first + int(rows.size()) - 1);
  m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  endInsertRows();
}

void ResultTableModel::sortRows(int column, Qt::SortOrder order, SortKind kind)
{
  if (column < 0 || column >= ColumnCount || m_rows.size() < 2)
    return;
  const std::size_t count = m_rows.size();
  std::vector<std::size_t> permutation(count);
  std::iota(permutation.begin(), permutation.end(), std::size_t(0));
  const bool ascending = order == Qt::AscendingOrder;
  if (kind == SortKind::Numeric) {
    std::vector<double> keys(count);
    for (std::size_t i = 0; i < count; ++i)
      keys[i] = resultNumberValue(m_rows[i].cell(column));
    std::stable_sort(permutation.begin(), permutation.end(), [&](std::size_t a, std::size_t b) {
      return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
  } else {
    std::stable_sort(permutation.begin(), permutation.end(), [&](std::size_t a, std::size_t b) {
      const int compared = m_rows[a].cell(column).compare(m_rows[b].cell(column), Qt::CaseSensitive);
      return ascending ? compared < 0 : compared > 0;
    });
  }

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<Row> sorted;
  sorted.reserve(count);
  std::vector<int> newPosition(count);
  for (std::size_t i = 0; i < count; ++i) {
    newPosition[permutation[i]] = int(i);
    sorted.push_back(std::move(m_rows[permutation[i]]));
  }
  m_rows = std::move(sorted);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex &old : before)
    after.append(index(newPosition[std::size_t(old.row())], old.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace tessivar
