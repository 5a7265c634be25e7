#pragma once

#include "results/result_layout.h"
#include "results/result_row.h"

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QColor>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tessivar {

// The rows of a result grid (MSHResults, and MSHResults2 for related results): ten columns of
// text per row, a status picture for column 0 of the archive layout and an optional text colour
// per cell. The model holds data rows only; grid rows count the header as row 0, and gridRow() and
// modelRow() are the one place that turns one into the other. A view shows an empty grid when there
// are no rows. Which cell holds what is the layout table's (resultColumn); resultAt() reads a row as
// a typed result.
//
// Rows are kept as UTF-8 in large shared blocks, one block holding many rows, and a cell is
// turned into a QString when it is asked for; cells changed through setText are kept as given.
//
// Roles: Qt::DisplayRole/Qt::EditRole give the cell text, Qt::ForegroundRole a QBrush when a
// colour was set, Qt::TextAlignmentRole left and vertically centred, StatusPictureRole (column 0)
// the picture number of the small icon list: NoPicture, Picture1 or Picture2.
class ResultTableModel final : public QAbstractTableModel
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ResultTableModel)

 public:
  static constexpr int ColumnCount = 10;
  enum Role { StatusPictureRole = Qt::UserRole + 1 };
  enum StatusPicture { NoPicture = 0, Picture1 = 1, Picture2 = 2 };
  enum class SortKind { Text, Numeric };

  // The ten cells of a row as UTF-8.
  using Utf8Cells = std::array<QByteArrayView, ColumnCount>;

  // One data row: the ten cell texts stored one after another in one string.
  struct Row
  {
    QString text;
    std::array<int, ColumnCount> ends{};
    int picture = NoPicture;
    std::vector<QColor> colors;  // one per column once any is set

    static Row fromCells(const std::array<QStringView, ColumnCount> &cells, int picture = NoPicture);
    QStringView cell(int column) const;
  };

  explicit ResultTableModel(QObject *parent = nullptr);
  ~ResultTableModel() override;

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  bool removeRows(int row, int count, const QModelIndex &parent = {}) override;
  // Sorts every row on the column as case-sensitive text.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  // Header texts: "Station", "Format", "Location", "Speed Kb/s" (live) or "", "Len", "BPS",
  // "Title" (archive) in columns 0-3; columns 4-9 have none.
  static QString headerText(ResultLayout layout, int column);
  void setColumnLayout(ResultLayout layout);
  ResultLayout columnLayout() const { return layout_; }

  // Grid row 0 is the header: the model's row r is the grid's row r + 1.
  static constexpr int gridRow(int modelRow) { return modelRow + 1; }
  static constexpr int modelRow(int gridRow) { return gridRow - 1; }

  // The grid row as a station (live layout) or a clip (archive layout); empty outside the rows.
  ResultRow resultAt(int gridRow, ResultLayout layout) const;
  // The cell of a field in the layout (see resultColumn); empty outside the rows.
  QString field(int row, ResultLayout layout, ResultField field) const;

  void clear();
  void setRowCount(int rows);               // new rows are empty
  QString text(int row, int column) const;  // empty outside the rows
  void setText(int row, int column, const QString &text);
  int statusPicture(int row) const;
  void setStatusPicture(int row, int picture);
  QColor textColor(int row, int column) const;  // invalid when none was set
  void setTextColor(int row, int column, const QColor &color);
  void setRow(int row, const Row &data);
  void appendRows(std::vector<Row> rows);

  // Writing many rows at once, as the page parser does. writeRow(row, ...) replaces a row below
  // rowCount() at once; a row at or past it is staged, after empty staged rows where there is a
  // gap. Staged rows are not part of the model until commitRows() inserts them all with one
  // notification; clear() drops them.
  void writeRow(int row, const Utf8Cells &cells, int picture);
  int stagedRowCount() const { return int(rows_.size()) - visible_; }
  void commitRows();

  // Stable sort of every row on one column: as case-sensitive text, or by the number value of
  // the text ("56k" is 56, text without a leading number is 0).
  void sortRows(int column, Qt::SortOrder order, SortKind kind);

 private:
  // What a row has beyond its UTF-8 cells: cells changed since, and text colours.
  struct Extras
  {
    std::array<QString, ColumnCount> edited;
    std::uint16_t editedColumns = 0;
    std::vector<QColor> colors;  // one per column once any is set
  };
  struct Slot
  {
    const char *bytes = nullptr;
    std::array<std::uint32_t, ColumnCount> ends{};
    int picture = NoPicture;
    std::unique_ptr<Extras> extras;
  };

  bool validCell(int row, int column) const;
  void fillSlot(Slot &slot, const Utf8Cells &cells, int picture);
  char *allocate(qsizetype size);
  static QByteArrayView bytes(const Slot &slot, int column);
  static bool edited(const Slot &slot, int column);
  static QString cellText(const Slot &slot, int column);
  static Extras &extras(Slot &slot);

  std::vector<Slot> rows_;  // the rows of the model, then the staged rows
  int visible_ = 0;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char *free_ = nullptr;
  qsizetype freeSize_ = 0;
  ResultLayout layout_ = ResultLayout::Live;
};

}  // namespace tessivar
