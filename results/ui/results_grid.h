#pragma once

#include "results/result_row.h"
#include "results/results_layout.h"

#include <QIcon>
#include <QList>
#include <QTableView>

#include <functional>

namespace tessivar {

class ResultTableModel;

// A result grid: MSHResults (the search results) or MSHResults2 (related results). It shows a
// ResultTableModel in the live or archive column layout, keeps the grid's notion of rows (row 0
// the header, data rows from 1, never fewer than two rows), and turns the user's keys, clicks,
// double-clicks and Shift-drags into the requests below. The layout, the pre-verification flag
// and the mini-browser option are read from the window at the moment a handler runs.
class ResultsGrid final : public QTableView
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ResultsGrid)

 public:
  enum class Kind { Results, Related };

  // sortDirection is shared by both grids and must outlive them.
  ResultsGrid(Kind kind, results_layout::SortDirection &sortDirection, QWidget *parent = nullptr);
  ~ResultsGrid() override;

  Kind kind() const { return kind_; }
  void setResultModel(ResultTableModel *model);
  ResultTableModel *resultModel() const { return model_; }

  // --- what the window tells the grid -------------------------------------------------------
  void setLayoutSource(std::function<ResultLayout()> source) { layoutSource_ = std::move(source); }
  ResultLayout currentLayout() const;
  void setPreVerifyBusySource(std::function<bool()> source) { busySource_ = std::move(source); }
  bool isPreVerifyBusy() const { return busySource_ && busySource_(); }
  // "Open Mini-Browser on Preview" (chkBrow).
  void setMiniBrowserSource(std::function<bool()> source) { miniBrowserSource_ = std::move(source); }
  // Pictures 1 and 2 of the small-icon list, shown in column 0 of archive rows.
  void setStatusPictures(const QIcon &picture1, const QIcon &picture2);
  // Replaces the drag of a Shift-drag (tests); the default starts a real drag carrying the text.
  void setDragStarter(std::function<void(const QString &payload)> starter)
  {
    dragStarter_ = std::move(starter);
  }

  // --- rows as the grid counts them ---------------------------------------------------------
  int rows() const;
  int dataRowCount() const;
  int currentRow() const;
  int selectionEndRow() const;
  // Makes `row` current and selects every row from it to selectionEnd, across the full width.
  void selectRows(int row, int selectionEnd);
  int topRow() const;
  void setTopRow(int row);
  QString cellText(int row, int column) const;
  QString currentCell(int column) const { return cellText(currentRow(), column); }
  // The row as a station or a clip, in the current layout.
  ResultRow resultAt(int row) const;
  ResultRow currentResult() const { return resultAt(currentRow()); }

  QString lastWebsiteShown() const { return lastWebsiteShown_; }
  void clearLastWebsiteShown() { lastWebsiteShown_.clear(); }

  // --- operations -----------------------------------------------------------------------------
  // Column headers and widths of the current layout; columns 4-9 hidden.
  void applyColumnLayout();
  // After a window resize: the first row current and selected.
  void selectFirstRow();
  // The header click: flips the shared direction and sorts every data row on the column's key.
  void sortByHeader(int column);
  // Repainting off while rows arrive, on again afterwards.
  void setRedraw(bool on);
  // The grid's own pointer: arrow-with-hourglass or the arrow.
  void showBusyPointer(bool busy);
  // The double-click: plays the current row (or, in the related grid, the selected rows as a
  // playlist). The toolbar's "Play" and "&Play Stream" run it too.
  void playRow();

 signals:
  void gridFocused();
  // The window shows the format of MSHResults' current row in status panel 1.
  void streamFormatCheckRequested();
  // Text for status panel 3.
  void statusLinkChanged(const QString &text);
  void playRequested(const QString &url, const QString &name);
  // Related grid: several rows double-clicked (grid row numbers, upper to lower).
  void playlistRequested(const QList<int> &rows);
  // A row clicked with "Open Mini-Browser on Preview" ticked: show its web site.
  void websitePreviewRequested(const QString &url);
  // A row of the main grid clicked without the mini-browser: look up related results for it.
  void relatedResultsRequested(int row);
  void presetDragStarted(const QString &payload);

 protected:
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  bool viewportEvent(QEvent *event) override;

 private:
  void applyColumnWidths();
  void onHeaderClicked(int column);
  void onCellClicked(const QModelIndex &index);
  void rowClickSteps();
  bool relatedGridReacts() const;
  void showStatusLink();
  void startPresetDrag(const QString &payload);

  Kind kind_;
  results_layout::SortDirection &sortDirection_;
  ResultTableModel *model_ = nullptr;
  std::function<ResultLayout()> layoutSource_;
  std::function<bool()> busySource_;
  std::function<bool()> miniBrowserSource_;
  std::function<void(const QString &)> dragStarter_;
  QString lastWebsiteShown_;
};

}  // namespace tessivar
