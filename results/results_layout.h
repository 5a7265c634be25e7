#pragma once

#include "base/search_choices.h"
#include "results/result_layout.h"

#include <QString>
#include <Qt>

#include <array>
#include <optional>

namespace tessivar {

// Column widths, sort keys and sizing rules of the result grids, apart from any widget.
// Widths are in twips; columns are numbered 0-9 as in the result model.
namespace results_layout {

inline constexpr int columnCount = 10;
// Columns from this one on are never shown.
inline constexpr int firstHiddenColumn = 4;

// The window is held at least this large while it is not minimised.
inline constexpr double minimumWindowWidth = 9500;
inline constexpr double minimumWindowHeight = 5595;
// The grid is this much narrower than the window.
inline constexpr double gridWidthAllowance = 100;
// The related-results grid takes this share of the window height in the archive layout.
inline constexpr double relatedGridShare = 0.2;

// "Streaming Audio && Video" and "Browse" show the archive layout, "LIVE Broadcasts" the live one.
ResultLayout layoutForMode(SearchMode mode);

// The column a finished search sorts its rows on, as text: the title (archive), the status cell
// (browse) or the station's name (live).
int searchSortColumn(SearchMode mode);

// The width of one column for a grid W twips wide, rounded to the nearest twip.
// Live: 0.6, 0.2, 0.2 of (W - 1100), then 1100. Archive: 300, 650, 900, W - 1900.
// Hidden columns (4-9) are 0 wide.
int columnWidth(ResultLayout layout, int column, double gridWidth);
std::array<int, columnCount> columnWidths(ResultLayout layout, double gridWidth);

// What a click on a header sorts by: hidden numeric keys stand in for the length, bit rate,
// status icon (archive) and speed (live) columns; every other column sorts as text.
struct SortKey
{
  int column = 0;
  bool numeric = false;
};
SortKey headerSortKey(ResultLayout layout, int clickedColumn);

// The direction of the last header sort, shared by both result grids. It starts as none, so the
// first header click sorts ascending; every further click, on any column, reverses it.
class SortDirection
{
 public:
  Qt::SortOrder flip();
  std::optional<Qt::SortOrder> current() const { return order_; }

 private:
  std::optional<Qt::SortOrder> order_;
};

// The column played from: the stream URL (live 4, archive 5), and the name shown for it
// (live 0, archive 3).
int streamUrlColumn(ResultLayout layout);
int nameColumn(ResultLayout layout);
// The column holding the stream's web site (live 5, archive 6).
int websiteColumn(ResultLayout layout);
// The column shown in status panel 3 when the user moves in the grid: the same in both layouts,
// the web site in the live layout and the stream URL in the archive layout.
inline constexpr int statusLinkColumn = resultColumn(ResultLayout::Live, ResultField::Website);
static_assert(statusLinkColumn == resultColumn(ResultLayout::Archive, ResultField::StreamUrl));
// The last selected column after a window resize: 6 (archive) or 4 (live).
int resizeSelectionEndColumn(ResultLayout layout);

// A web site a click can preview: not empty and not "Unknown".
bool isPreviewableWebsite(const QString &website);

// The grid's tool tip: how to play, depending on "Open Mini-Browser on Preview".
QString gridToolTip(bool miniBrowserOnPreview);

// The text a Shift-drag carries to a preset button: name, the character with code 255, URL.
QString presetDragPayload(const QString &name, const QString &url);

}  // namespace results_layout

}  // namespace tessivar
