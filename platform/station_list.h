#pragma once

#include "platform/station_list_file.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

namespace tessivar {

// A list of entries (display text, second text, whole number) kept in insertion order, with
// duplicates allowed and any number of entries selected. Positions count from 0; -1 means
// "none", or "at the end" when inserting. Views show it through the model roles below.
class StationList final : public QAbstractListModel
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(StationList)

 public:
  enum Role {
    SecondTextRole = Qt::UserRole + 1,
    NumberRole,
    SelectedRole,
  };
  enum class Column { DisplayText, SecondText };

  explicit StationList(QObject *parent = nullptr);
  ~StationList() override;

  [[nodiscard]] int count() const;

  // The current entry, -1 when none. Setting an index outside the list sets -1.
  [[nodiscard]] int currentIndex() const;
  void setCurrentIndex(int index);

  [[nodiscard]] bool isSelected(int index) const;
  void setSelected(int index, bool selected);
  [[nodiscard]] int selectedCount() const;
  void selectAll();
  void clearSelection();

  // Inserts at position (-1 or count() = at the end); later entries move down. Returns the new
  // entry's index, or -1 (nothing inserted) for a position outside -1..count().
  int insert(int position, const QString &text, const QString &secondText, int number = 0);
  // Removes the entry; later entries move up. False when there is no such entry.
  bool remove(int position);
  void clear();

  // Texts and number of an entry; empty texts and 0 for an index outside the list.
  [[nodiscard]] QString text(int index) const;
  [[nodiscard]] QString secondText(int index) const;
  [[nodiscard]] int number(int index) const;
  [[nodiscard]] QList<ListEntry> entries() const;

  // Index of the first entry at or after `from` whose column equals `value` exactly, -1 if none.
  [[nodiscard]] int find(const QString &value, Column column = Column::DisplayText, int from = 0) const;

  // Writes every entry atomically. Saving over a file that this list failed to load first keeps
  // a copy of that file beside it ("<path>.unreadable", numbered if taken).
  ListFileResult saveToFile(const QString &path);
  // Replaces the contents with the file's entries. On any failure the list stays as it was.
  ListFileResult loadFromFile(const QString &path);

  // QAbstractListModel
  [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

 signals:
  void currentIndexChanged(int index);
  void selectionChanged();

 private:
  struct Item
  {
    ListEntry entry;
    bool selected = false;
  };

  [[nodiscard]] bool contains(int index) const;
  void changeSelection(int first, int last);

  QList<Item> items_;
  int current_ = -1;
  QString unreadablePath_;
};

}  // namespace tessivar
