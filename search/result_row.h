#pragma once

#include "results/result_table_model.h"
#include "search/result_layout.h"

#include <QString>
#include <QStringView>

namespace tessivar {

struct StationRecord;

// The grid row of one result in the given layout.
//   live:    0 name (or "Unknown"), 1 format (or "Unknown"), 2 cleaned location, 3 speed (or
//            "Unknown"), 4 address without outer quotes and blanks, 5 website, 8 numeric speed
//            ("5000" when unknown)
//   archive: 0 status picture, or "?" for an unknown flag, 1 "[m:s]" length, 2 speed, 3 title,
//            4 item id, 5 address, 6 website, 7 "0"/"1" icon kind, 8 number before the speed's
//            first "k", 9 seconds as received
ResultTableModel::Row buildResultRow(const StationRecord &record, ResultLayout layout);

// A live-layout location: trimmed; a lone "," is "Unknown"; a leading comma and what precedes
// it dropped; with a trailing comma only the text before the first comma kept; then
// "Unknown, Internet" -> "Internet Based", "Unknown, Unknown" -> "Unknown", "Unknown, " removed.
QString cleanLocation(QStringView location);

// Archive length column: "[1:5]" for 65 seconds, "[??:??]" when there is no positive number.
QString lengthText(QStringView seconds);

}  // namespace tessivar
