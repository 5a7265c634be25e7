#pragma once

namespace tessivar {

// The two column layouts of the result grids. Archive is used while "Streaming Audio && Video"
// or "Browse" is selected, Live while "LIVE Broadcasts" is.
enum class ResultLayout { Live, Archive };

// What a cell of a result row holds. Live rows are stations, archive rows clips; the cells the
// grid shows come first, the hidden ones (sort keys, addresses) after them.
enum class ResultField {
  Status,       // archive: the status picture's cell, "?" for an unknown flag
  Name,         // the station's name (live) or the clip's title (archive)
  Format,       // live
  Location,     // live
  Length,       // archive: "[m:s]"
  Speed,        // as shown
  ItemId,       // archive: the directory's item number
  StreamUrl,    // the address played
  Website,      // the stream's web site
  IconKind,     // archive: "0" or "1", the status picture's sort key
  SpeedNumber,  // the speed's sort key; in the archive layout also pre-verification's mark
  Seconds,      // archive: the length's sort key, in seconds as received
};

// The layout table: the model column that holds a field in a layout, -1 where the layout has no
// such cell. No other place numbers the columns.
constexpr int resultColumn(ResultLayout layout, ResultField field)
{
  if (layout == ResultLayout::Live) {
    switch (field) {
      case ResultField::Name:
        return 0;
      case ResultField::Format:
        return 1;
      case ResultField::Location:
        return 2;
      case ResultField::Speed:
        return 3;
      case ResultField::StreamUrl:
        return 4;
      case ResultField::Website:
        return 5;
      case ResultField::SpeedNumber:
        return 8;
      default:
        return -1;
    }
  }
  switch (field) {
    case ResultField::Status:
      return 0;
    case ResultField::Length:
      return 1;
    case ResultField::Speed:
      return 2;
    case ResultField::Name:
      return 3;
    case ResultField::ItemId:
      return 4;
    case ResultField::StreamUrl:
      return 5;
    case ResultField::Website:
      return 6;
    case ResultField::IconKind:
      return 7;
    case ResultField::SpeedNumber:
      return 8;
    case ResultField::Seconds:
      return 9;
    default:
      return -1;
  }
}

}  // namespace tessivar
