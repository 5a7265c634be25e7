#include "platform/station_list.h"

#include "base/unreadable_copy.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tessivar {

namespace {

// A list file larger than this is not a list this program wrote.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

}  // namespace

StationList::StationList(QObject *parent) : QAbstractListModel(parent) {}

StationList::~StationList() = default;

int StationList::count() const
{
  return static_cast<int>(items_.size());
}

bool StationList::contains(int index) const
{
  return index >= 0 && index < items_.size();
}

int StationList::currentIndex() const
{
  return current_;
}

void StationList::setCurrentIndex(int index)
{
  const int next = contains(index) ? index : -1;
  if (next == current_) return;
  current_ = next;
  emit currentIndexChanged(current_);
}

bool StationList::isSelected(int index) const
{
  return contains(index) && items_.at(index).selected;
}

void StationList::setSelected(int index, bool selected)
{
  if (!contains(index) || items_.at(index).selected == selected) return;
  items_[index].selected = selected;
  changeSelection(index, index);
}

int StationList::selectedCount() const
{
  return static_cast<int>(
      std::count_if(items_.cbegin(), items_.cend(), [](const Item &item) { return item.selected; }));
}

void StationList::selectAll()
{
  bool changed = false;
  for (Item &item : items_) {
    changed = changed || !item.selected;
    item.selected = true;
  }
  if (changed) changeSelection(0, count() - 1);
}

void StationList::clearSelection()
{
  bool changed = false;
  for (Item &item : items_) {
    changed = changed || item.selected;
    item.selected = false;
  }
  if (changed) changeSelection(0, count() - 1);
}

void StationList::changeSelection(int first, int last)
{
  emit dataChanged(index(first), index(last), {SelectedRole});
  emit selectionChanged();
}

int StationList::insert(int position, const QString &text, const QString &secondText, int number)
{
  if (position < -1 || position > count()) return -1;
  const int at = position == -1 ? count() : position;
  beginInsertRows({}, at, at);
  items_.insert(at, Item{{text, secondText, number}, false});
  endInsertRows();
  if (current_ >= at) {
    ++current_;
    emit currentIndexChanged(current_);
  }
  return at;
}

bool StationList::remove(int position)
{
  if (!contains(position)) return false;
  const bool wasSelected = items_.at(position).selected;
  beginRemoveRows({}, position, position);
  items_.removeAt(position);
  endRemoveRows();
  if (current_ == position) {
    current_ = -1;
    emit currentIndexChanged(current_);
  } else if (current_ > position) {
    --current_;
    emit currentIndexChanged(current_);
  }
  if (wasSelected) emit selectionChanged();
  return true;
}

void StationList::clear()
{
  if (items_.isEmpty()) return;
  const bool hadSelection = selectedCount() > 0;
  beginResetModel();
  items_.clear();
  endResetModel();
  if (current_ != -1) {
    current_ = -1;
    emit currentIndexChanged(current_);
  }
  if (hadSelection) emit selectionChanged();
}

QString StationList::text(int index) const
{
  return contains(index) ? items_.at(index).entry.text : QString();
}

QString StationList::secondText(int index) const
{
  return contains(index) ? items_.at(index).entry.secondText : QString();
}

int StationList::number(int index) const
{
  return contains(index) ? items_.at(index).entry.number : 0;
}

QList<ListEntry> StationList::entries() const
{
  QList<ListEntry> result;
  result.reserve(items_.size());
  for (const Item &item : items_) result.append(item.entry);
  return result;
}

int StationList::find(const QString &value, Column column, int from) const
{
  for (int i = std::max(from, 0); i < count(); ++i) {
    const ListEntry &entry = items_.at(i).entry;
    if ((column == Column::DisplayText ? entry.text : entry.secondText) == value) return i;
  }
  return -1;
}

ListFileResult StationList::saveToFile(const QString &path)
{
  if (path.isEmpty()) return {false, QStringLiteral("No file name given.")};

  // Never replace a file that could not be read with this list without keeping a copy of it:
  // it may hold entries this list does not.
  QString keptCopy;
  const QString absolute = QFileInfo(path).absoluteFilePath();
  if (!unreadablePath_.isEmpty() && absolute == unreadablePath_ && QFileInfo::exists(path)) {
    keptCopy = unreadableCopyName(path);
    if (!QFile::copy(path, keptCopy)) {
      return {false, QStringLiteral("%1 was not saved: it could not be read earlier, and a copy of it "
                                    "could not be kept as %2.")
                         .arg(path, keptCopy)};
    }
  }

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return {false, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString())};
  const QByteArray bytes = encodeListFile(entries());
  if (file.write(bytes) != bytes.size() || !file.commit())
    return {false, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString())};

  if (absolute == unreadablePath_) unreadablePath_.clear();
  if (!keptCopy.isEmpty())
    return {true, QStringLiteral("The earlier unreadable file was kept as %1.").arg(keptCopy)};
  return {true, {}};
}

ListFileResult StationList::loadFromFile(const QString &path)
{
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) return {false, QStringLiteral("%1 does not exist.").arg(path)};

  const auto unreadable = [this, &info, &path](const QString &why) {
    unreadablePath_ = info.absoluteFilePath();
    return ListFileResult{false, QStringLiteral("Cannot read %1: %2").arg(path, why)};
  };
  if (!info.isFile()) return unreadable(QStringLiteral("it is not a file."));
  if (info.size() > kMaxFileSize) return unreadable(QStringLiteral("it is too large to be a list."));

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return unreadable(file.errorString());
  const QByteArray bytes = file.read(kMaxFileSize + 1);
  if (file.error() != QFileDevice::NoError) return unreadable(file.errorString());
  if (bytes.size() > kMaxFileSize) return unreadable(QStringLiteral("it is too large to be a list."));

  QString error;
  const auto decoded = decodeListFile(bytes, &error);
  if (!decoded) return unreadable(error);

  beginResetModel();
  items_.clear();
  items_.reserve(decoded->size());
  for (const ListEntry &entry : *decoded) items_.append(Item{entry, false});
  endResetModel();
  if (current_ != -1) {
    current_ = -1;
    emit currentIndexChanged(current_);
  }
  emit selectionChanged();
  if (unreadablePath_ == info.absoluteFilePath()) unreadablePath_.clear();
  return {true, {}};
}

int StationList::rowCount(const QModelIndex &parent) const
{
  return parent.isValid() ? 0 : count();
}

QVariant StationList::data(const QModelIndex &index, int role) const
{
  if (!index.isValid() || index.parent().isValid() || !contains(index.row())) return {};
  const Item &item = items_.at(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return item.entry.text;
    case Qt::ToolTipRole:
    case SecondTextRole:
      return item.entry.secondText;
    case NumberRole:
      return item.entry.number;
    case SelectedRole:
      return item.selected;
    default:
      return {};
  }
}

QHash<int, QByteArray> StationList::roleNames() const
{
  QHash<int, QByteArray> names = QAbstractListModel::roleNames();
  names.insert(SecondTextRole, QByteArrayLiteral("secondText"));
  names.insert(NumberRole, QByteArrayLiteral("number"));
  names.insert(SelectedRole, QByteArrayLiteral("selected"));
  return names;
}

}  // namespace tessivar
