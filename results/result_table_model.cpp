#include "results/result_table_model.h"

#include "base/number_text.h"
#include "base/number_value.h"

#include <QBrush>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>

namespace tessivar {

namespace {

// Rows are stored in blocks of this size; a row larger than a quarter of it gets its own.
constexpr qsizetype kBlockSize = 1 << 20;

// A cell's text. A byte order mark at its start is part of the text, not a marker to drop.
QString decode(QByteArrayView bytes)
{
  if (bytes.size() < 3 || bytes[0] != '\xef' || bytes[1] != '\xbb' || bytes[2] != '\xbf')
    return QString::fromUtf8(bytes);
  QStringDecoder decoder(QStringDecoder::Utf8,
                         QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  return decoder.decode(bytes);
}

// Copies a cell. Most cells are a few bytes long: fixed-size copies that overlap where needed
// save a library call for each.
void copyCell(char *out, const char *in, std::size_t n)
{
  if (n > 32 && n <= 64) {
    std::memcpy(out, in, 32);
    std::memcpy(out + n - 32, in + n - 32, 32);
  } else if (n >= 16 && n <= 32) {
    std::memcpy(out, in, 16);
    std::memcpy(out + n - 16, in + n - 16, 16);
  } else if (n >= 8 && n < 16) {
    std::memcpy(out, in, 8);
    std::memcpy(out + n - 8, in + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(out, in, 4);
    std::memcpy(out + n - 4, in + n - 4, 4);
  } else if (n > 64) {
    std::memcpy(out, in, n);
  } else {
    for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
  }
}

std::uint16_t columnBit(int column)
{
  return std::uint16_t(1u << unsigned(column));
}

}  // namespace

ResultTableModel::Row ResultTableModel::Row::fromCells(const std::array<QStringView, ColumnCount> &cells,
                                                       int picture)
{
  Row row;
  qsizetype total = 0;
  for (const QStringView cell : cells) total += cell.size();
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
  if (column < 0 || column >= ColumnCount) return {};
  const int begin = column == 0 ? 0 : ends[std::size_t(column - 1)];
  return QStringView(text).sliced(begin, ends[std::size_t(column)] - begin);
}

ResultTableModel::ResultTableModel(QObject *parent) : QAbstractTableModel(parent) {}

ResultTableModel::~ResultTableModel() = default;

char *ResultTableModel::allocate(qsizetype size)
{
  if (size > kBlockSize / 4) {
    blocks_.push_back(std::unique_ptr<char[]>(new char[std::size_t(size)]));
    return blocks_.back().get();
  }
  if (size > freeSize_) {
    blocks_.push_back(std::unique_ptr<char[]>(new char[std::size_t(kBlockSize)]));
    free_ = blocks_.back().get();
    freeSize_ = kBlockSize;
  }
  char *at = free_;
  free_ += size;
  freeSize_ -= size;
  return at;
}

void ResultTableModel::fillSlot(Slot &slot, const Utf8Cells &cells, int picture)
{
  slot.picture = picture;
  slot.extras.reset();
  qsizetype total = 0;
  for (const QByteArrayView cell : cells) total += cell.size();
  if (total > qsizetype(std::numeric_limits<std::uint32_t>::max())) {
    // Too long for the block offsets: kept as text instead.
    slot.bytes = nullptr;
    slot.ends = {};
    Extras &more = extras(slot);
    for (int column = 0; column < ColumnCount; ++column)
      more.edited[std::size_t(column)] = QString::fromUtf8(cells[std::size_t(column)]);
    more.editedColumns = std::uint16_t((1u << ColumnCount) - 1);
    return;
  }
  char *out = total ? allocate(total) : nullptr;
  slot.bytes = out;
  std::uint32_t end = 0;
  for (int column = 0; column < ColumnCount; ++column) {
    const QByteArrayView cell = cells[std::size_t(column)];
    copyCell(out + end, cell.data(), std::size_t(cell.size()));
    end += std::uint32_t(cell.size());
    slot.ends[std::size_t(column)] = end;
  }
}

QByteArrayView ResultTableModel::bytes(const Slot &slot, int column)
{
  if (!slot.bytes) return {};
  const std::uint32_t begin = column == 0 ? 0 : slot.ends[std::size_t(column - 1)];
  return QByteArrayView(slot.bytes + begin, qsizetype(slot.ends[std::size_t(column)] - begin));
}

bool ResultTableModel::edited(const Slot &slot, int column)
{
  return slot.extras && (slot.extras->editedColumns & columnBit(column));
}

QString ResultTableModel::cellText(const Slot &slot, int column)
{
  if (edited(slot, column)) return slot.extras->edited[std::size_t(column)];
  return decode(bytes(slot, column));
}

ResultTableModel::Extras &ResultTableModel::extras(Slot &slot)
{
  if (!slot.extras) slot.extras = std::make_unique<Extras>();
  return *slot.extras;
}

int ResultTableModel::rowCount(const QModelIndex &parent) const
{
  return parent.isValid() ? 0 : visible_;
}

int ResultTableModel::columnCount(const QModelIndex &parent) const
{
  return parent.isValid() ? 0 : ColumnCount;
}

bool ResultTableModel::validCell(int row, int column) const
{
  return row >= 0 && row < visible_ && column >= 0 && column < ColumnCount;
}

QVariant ResultTableModel::data(const QModelIndex &index, int role) const
{
  if (!index.isValid() || !validCell(index.row(), index.column())) return {};
  const Slot &slot = rows_[std::size_t(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return cellText(slot, index.column());
    case Qt::ForegroundRole: {
      const QColor color = textColor(index.row(), index.column());
      return color.isValid() ? QVariant(QBrush(color)) : QVariant();
    }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case StatusPictureRole:
      return index.column() == 0 ? QVariant(slot.picture) : QVariant();
    default:
      return {};
  }
}

bool ResultTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
  if (!index.isValid() || !validCell(index.row(), index.column())) return false;
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
      if (index.column() != 0) return false;
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
  return headerText(layout_, section);
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex &index) const
{
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool ResultTableModel::removeRows(int row, int count, const QModelIndex &parent)
{
  if (parent.isValid() || row < 0 || count <= 0 || row > visible_ - count) return false;
  beginRemoveRows({}, row, row + count - 1);
  rows_.erase(rows_.begin() + row, rows_.begin() + row + count);
  visible_ -= count;
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
  if (column < 0 || column >= int(live.size())) return {};
  return QString::fromUtf16((layout == ResultLayout::Live ? live : archive)[std::size_t(column)]);
}

void ResultTableModel::setColumnLayout(ResultLayout layout)
{
  if (layout == layout_) return;
  layout_ = layout;
  emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void ResultTableModel::clear()
{
  const bool hadRows = visible_ > 0;
  if (hadRows) beginResetModel();
  rows_.clear();
  rows_.shrink_to_fit();
  visible_ = 0;
  blocks_.clear();
  free_ = nullptr;
  freeSize_ = 0;
  if (hadRows) endResetModel();
}

void ResultTableModel::setRowCount(int rows)
{
  rows = std::max(rows, 0);
  const int current = visible_;
  if (rows < current) {
    removeRows(rows, current - rows);
  } else if (rows > current) {
    beginInsertRows({}, current, rows - 1);
    std::vector<Slot> empty(std::size_t(rows - current));
    rows_.insert(rows_.begin() + current, std::make_move_iterator(empty.begin()),
                 std::make_move_iterator(empty.end()));
    visible_ = rows;
    endInsertRows();
  }
}

QString ResultTableModel::text(int row, int column) const
{
  return validCell(row, column) ? cellText(rows_[std::size_t(row)], column) : QString();
}

void ResultTableModel::setText(int row, int column, const QString &text)
{
  if (!validCell(row, column)) return;
  Slot &slot = rows_[std::size_t(row)];
  if (cellText(slot, column) == text) return;
  Extras &more = extras(slot);
  more.edited[std::size_t(column)] = text;
  more.editedColumns |= columnBit(column);
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

QString ResultTableModel::field(int row, ResultLayout layout, ResultField field) const
{
  return text(row, resultColumn(layout, field));
}

ResultRow ResultTableModel::resultAt(int gridRow, ResultLayout layout) const
{
  const int row = modelRow(gridRow);
  const auto cell = [&](ResultField which) { return field(row, layout, which); };
  ResultRow result;
  result.kind = layout == ResultLayout::Live ? ResultRow::Kind::Station : ResultRow::Kind::Clip;
  result.name = cell(ResultField::Name);
  result.streamUrl = cell(ResultField::StreamUrl);
  result.website = cell(ResultField::Website);
  result.itemId = cell(ResultField::ItemId);
  result.format = cell(ResultField::Format);
  result.location = cell(ResultField::Location);
  result.speed = cell(ResultField::Speed);
  result.length = cell(ResultField::Length);
  return result;
}

int ResultTableModel::statusPicture(int row) const
{
  return validCell(row, 0) ? rows_[std::size_t(row)].picture : int(NoPicture);
}

void ResultTableModel::setStatusPicture(int row, int picture)
{
  if (!validCell(row, 0) || rows_[std::size_t(row)].picture == picture) return;
  rows_[std::size_t(row)].picture = picture;
  const QModelIndex changed = index(row, 0);
  emit dataChanged(changed, changed, {StatusPictureRole});
}

QColor ResultTableModel::textColor(int row, int column) const
{
  if (!validCell(row, column)) return {};
  const Slot &slot = rows_[std::size_t(row)];
  if (!slot.extras || slot.extras->colors.empty()) return {};
  return slot.extras->colors[std::size_t(column)];
}

void ResultTableModel::setTextColor(int row, int column, const QColor &color)
{
  if (!validCell(row, column)) return;
  Slot &slot = rows_[std::size_t(row)];
  if (!slot.extras || slot.extras->colors.empty()) {
    if (!color.isValid()) return;
    extras(slot).colors.resize(ColumnCount);
  }
  slot.extras->colors[std::size_t(column)] = color;
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::ForegroundRole});
}

void ResultTableModel::setRow(int row, const Row &data)
{
  if (row < 0 || row >= visible_) return;
  std::array<QByteArray, ColumnCount> texts;
  Utf8Cells cells;
  for (int column = 0; column < ColumnCount; ++column) {
    texts[std::size_t(column)] = data.cell(column).toUtf8();
    cells[std::size_t(column)] = texts[std::size_t(column)];
  }
  writeRow(row, cells, data.picture);
  if (!data.colors.empty()) {
    extras(rows_[std::size_t(row)]).colors = data.colors;
    extras(rows_[std::size_t(row)]).colors.resize(ColumnCount);
  }
}

void ResultTableModel::appendRows(std::vector<Row> rows)
{
  for (const Row &data : rows) {
    std::array<QByteArray, ColumnCount> texts;
    Utf8Cells cells;
    for (int column = 0; column < ColumnCount; ++column) {
      texts[std::size_t(column)] = data.cell(column).toUtf8();
      cells[std::size_t(column)] = texts[std::size_t(column)];
    }
    Slot slot;
    fillSlot(slot, cells, data.picture);
    if (!data.colors.empty()) {
      extras(slot).colors = data.colors;
      extras(slot).colors.resize(ColumnCount);
    }
    rows_.push_back(std::move(slot));
  }
  commitRows();
}

void ResultTableModel::writeRow(int row, const Utf8Cells &cells, int picture)
{
  if (row < 0) return;
  if (row < visible_) {
    fillSlot(rows_[std::size_t(row)], cells, picture);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    return;
  }
  if (std::size_t(row) >= rows_.size()) {
    if (rows_.capacity() <= std::size_t(row))
      rows_.reserve(std::max<std::size_t>({1024, rows_.size() * 2, std::size_t(row) + 1}));
    rows_.resize(std::size_t(row) + 1);
  }
  fillSlot(rows_[std::size_t(row)], cells, picture);
}

void ResultTableModel::commitRows()
{
  const int staged = stagedRowCount();
  if (staged <= 0) return;
  beginInsertRows({}, visible_, visible_ + staged - 1);
  visible_ += staged;
  endInsertRows();
}

void ResultTableModel::sortRows(int column, Qt::SortOrder order, SortKind kind)
{
  if (column < 0 || column >= ColumnCount || visible_ < 2) return;
  const std::size_t count = std::size_t(visible_);
  std::vector<std::size_t> permutation(count);
  std::iota(permutation.begin(), permutation.end(), std::size_t(0));
  const bool ascending = order == Qt::AscendingOrder;
  if (kind == SortKind::Numeric) {
    std::vector<double> keys(count);
    for (std::size_t i = 0; i < count; ++i) {
      const Slot &slot = rows_[i];
      keys[i] = edited(slot, column) ? numberValue(QStringView(slot.extras->edited[std::size_t(column)]))
                                     : numberValue(bytes(slot, column));
    }
    std::stable_sort(permutation.begin(), permutation.end(), [&](std::size_t a, std::size_t b) {
      return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
  } else {
    // Cells are compared as the texts they stand for. UTF-8 bytes give the same order as long
    // as the first difference is between two ASCII characters; anything else is decoded.
    const auto compare = [&](const Slot &a, const Slot &b) {
      if (!edited(a, column) && !edited(b, column)) {
        const QByteArrayView x = bytes(a, column);
        const QByteArrayView y = bytes(b, column);
        const qsizetype n = std::min(x.size(), y.size());
        const auto [xi, yi] = std::mismatch(x.begin(), x.begin() + n, y.begin());
        const qsizetype at = xi - x.begin();
        if (at < n) {
          if (((*xi | *yi) & 0x80) == 0) return *xi < *yi ? -1 : 1;
        } else if (x.size() == y.size()) {
          return 0;
        } else if (n == 0 || ((n == x.size() ? x : y)[n - 1] & 0x80) == 0) {
          return x.size() < y.size() ? -1 : 1;
        }
      }
      return QString::compare(cellText(a, column), cellText(b, column), Qt::CaseSensitive);
    };
    std::stable_sort(permutation.begin(), permutation.end(), [&](std::size_t a, std::size_t b) {
      const int compared = compare(rows_[a], rows_[b]);
      return ascending ? compared < 0 : compared > 0;
    });
  }

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<Slot> sorted;
  sorted.reserve(rows_.size());
  std::vector<int> newPosition(count);
  for (std::size_t i = 0; i < count; ++i) {
    newPosition[permutation[i]] = int(i);
    sorted.push_back(std::move(rows_[permutation[i]]));
  }
  for (std::size_t i = count; i < rows_.size(); ++i) sorted.push_back(std::move(rows_[i]));
  rows_ = std::move(sorted);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex &old : before)
    after.append(index(newPosition[std::size_t(old.row())], old.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace tessivar
