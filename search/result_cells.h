#pragma once

#include "base/number_text.h"
#include "results/result_layout.h"
#include "results/result_table_model.h"

#include <QByteArray>
#include <QByteArrayView>

#include <string>

namespace tessivar {

struct StationRecord;

// Room for the cells of one row that are not slices of the anchor. Reused from row to row, so
// building a row allocates nothing once the buffers have grown.
struct ResultRowScratch
{
  std::string speed;
  std::string location;
  std::string spare;
  char length[2 * kNumberTextCapacity + 3] = {};
  char number[kNumberTextCapacity] = {};
  char id[kNumberTextCapacity] = {};
};

// The cells of one result in the given layout (see resultColumn), as UTF-8 views of the record's
// text, fixed texts and scratch; returns the status picture. Every cell is written.
//   live:    the name (or "Unknown"), the format (or "Unknown"), the cleaned location, the speed
//            (or "Unknown"), the address without outer quotes and blanks, the website, the
//            numeric speed ("5000" when unknown)
//   archive: the status picture's cell ("?" for an unknown flag), the "[m:s]" length, the speed,
//            the title, the item id, the address, the website, the "0"/"1" icon kind, the number
//            before the speed's first "k", the seconds as received
int buildResultCells(const StationRecord &record, ResultLayout layout, ResultTableModel::Utf8Cells &cells,
                     ResultRowScratch &scratch);

// A live-layout location: trimmed; a lone "," is "Unknown"; a leading comma and what precedes
// it dropped; with a trailing comma only the text before the first comma kept; then
// "Unknown, Internet" -> "Internet Based", "Unknown, Unknown" -> "Unknown", "Unknown, " removed.
QByteArray cleanLocation(QByteArrayView location);

// Archive length column: "[1:5]" for 65 seconds, "[??:??]" when there is no positive number.
QByteArray lengthText(QByteArrayView seconds);

}  // namespace tessivar
