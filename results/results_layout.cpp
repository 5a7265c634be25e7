#include "results/results_layout.h"

#include "base/setting_key.h"

#include <cmath>

namespace tessivar::results_layout {

namespace {

constexpr double liveSpeedWidth = 1100;
constexpr double archiveIconWidth = 300;
constexpr double archiveLengthWidth = 650;
constexpr double archiveRateWidth = 900;
// The title column leaves room for a bit-rate column of 950 although it is 900 wide.
constexpr double archiveTitleAllowance = 950 + archiveLengthWidth + archiveIconWidth;

int rounded(double twips)
{
  return static_cast<int>(std::lround(twips));
}

}  // namespace

ResultLayout layoutForMode(SearchMode mode)
{
  return mode == SearchMode::Live ? ResultLayout::Live : ResultLayout::Archive;
}

int columnWidth(ResultLayout layout, int column, double gridWidth)
{
  if (layout == ResultLayout::Live) {
    const double shared = gridWidth - liveSpeedWidth;
    switch (column) {
      case 0:
        return rounded(0.6 * shared);
      case 1:
      case 2:
        return rounded(0.2 * shared);
      case 3:
        return rounded(liveSpeedWidth);
      default:
        return 0;
    }
  }
  switch (column) {
    case 0:
      return rounded(archiveIconWidth);
    case 1:
      return rounded(archiveLengthWidth);
    case 2:
      return rounded(archiveRateWidth);
    case 3:
      return rounded(gridWidth - archiveTitleAllowance);
    default:
      return 0;
  }
}

std::array<int, columnCount> columnWidths(ResultLayout layout, double gridWidth)
{
  std::array<int, columnCount> widths{};
  for (int column = 0; column < columnCount; ++column)
    widths[std::size_t(column)] = columnWidth(layout, column, gridWidth);
  return widths;
}

SortKey headerSortKey(ResultLayout layout, int clickedColumn)
{
  if (layout == ResultLayout::Archive) {
    switch (clickedColumn) {
      case 0:
        return {7, true};
      case 1:
        return {9, true};
      case 2:
        return {8, true};
      default:
        break;
    }
  } else if (clickedColumn == 3) {
    return {8, true};
  }
  return {clickedColumn, false};
}

Qt::SortOrder SortDirection::flip()
{
  order_ = order_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  return *order_;
}

int streamUrlColumn(ResultLayout layout)
{
  return layout == ResultLayout::Live ? 4 : 5;
}
int nameColumn(ResultLayout layout)
{
  return layout == ResultLayout::Live ? 0 : 3;
}
int websiteColumn(ResultLayout layout)
{
  return layout == ResultLayout::Live ? 5 : 6;
}
int resizeSelectionEndColumn(ResultLayout layout)
{
  return layout == ResultLayout::Live ? 4 : 6;
}

bool isPreviewableWebsite(const QString &website)
{
  return !website.isEmpty() && website != QStringLiteral("Unknown");
}

QString gridToolTip(bool miniBrowserOnPreview)
{
  return miniBrowserOnPreview
             ? QStringLiteral("Single click to display stream website or click PLAY button to play.")
             : QStringLiteral("Double click item or click PLAY button on toolbar to play.");
}

QString presetDragPayload(const QString &name, const QString &url)
{
  return name + presetSeparator + url;
}

}  // namespace tessivar::results_layout
