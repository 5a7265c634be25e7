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

int searchSortColumn(SearchMode mode)
{
  const ResultLayout layout = layoutForMode(mode);
  return resultColumn(layout, mode == SearchMode::Library ? ResultField::Status : ResultField::Name);
}

int columnWidth(ResultLayout layout, int column, double gridWidth)
{
  const auto holds = [layout, column](ResultField field) { return column == resultColumn(layout, field); };
  if (layout == ResultLayout::Live) {
    const double shared = gridWidth - liveSpeedWidth;
    if (holds(ResultField::Name)) return rounded(0.6 * shared);
    if (holds(ResultField::Format) || holds(ResultField::Location)) return rounded(0.2 * shared);
    if (holds(ResultField::Speed)) return rounded(liveSpeedWidth);
    return 0;
  }
  if (holds(ResultField::Status)) return rounded(archiveIconWidth);
  if (holds(ResultField::Length)) return rounded(archiveLengthWidth);
  if (holds(ResultField::Speed)) return rounded(archiveRateWidth);
  if (holds(ResultField::Name)) return rounded(gridWidth - archiveTitleAllowance);
  return 0;
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
  const auto numeric = [layout](ResultField key) { return SortKey{resultColumn(layout, key), true}; };
  const auto clicked = [layout, clickedColumn](ResultField field) {
    return clickedColumn == resultColumn(layout, field);
  };
  if (layout == ResultLayout::Archive) {
    if (clicked(ResultField::Status)) return numeric(ResultField::IconKind);
    if (clicked(ResultField::Length)) return numeric(ResultField::Seconds);
    if (clicked(ResultField::Speed)) return numeric(ResultField::SpeedNumber);
  } else if (clicked(ResultField::Speed)) {
    return numeric(ResultField::SpeedNumber);
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
  return resultColumn(layout, ResultField::StreamUrl);
}
int nameColumn(ResultLayout layout)
{
  return resultColumn(layout, ResultField::Name);
}
int websiteColumn(ResultLayout layout)
{
  return resultColumn(layout, ResultField::Website);
}
int resizeSelectionEndColumn(ResultLayout layout)
{
  return resultColumn(layout, layout == ResultLayout::Live ? ResultField::StreamUrl : ResultField::Website);
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
