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

// The cells of one result in the given layout, as UTF-8 views of the record's text, fixed
// texts and scratch; returns the status picture. Every cell is written.
//   live:    0 name (or "Unknown"), 1 format (or "Unknown"), 2 cleaned location, 3 speed (or
//            "Unknown"), 4 address without outer quotes and blanks, 5 website, 8 numeric speed
//            ("5000" when unknown)
//   archive: 0 status picture, or "?" for an unknown flag, 1 "[m:s]" length, 2 speed, 3 title,
//            4 item id, 5 address, 6 website, 7 "0"/"1" icon kind, 8 number before the speed's
//            first "k", 9 seconds as received
int buildResultCells(const StationRecord &record, ResultLayout layout, ResultTableModel::Utf8Cells &cells,
                     ResultRowScratch &scratch);

// A live-layout location: trimmed; a lone "," is "Unknown"; a leading comma and what precedes
// it dropped; with a trailing comma only the text before the first comma kept; then
// "Unknown, Internet" -> "Internet Based", "Unknown, Unknown" -> "Unknown", "Unknown, " removed.
QByteArray cleanLocation(QByteArrayView location);

// Archive length column: "[1:5]" for 65 seconds, "[??:??]" when there is no positive number.
QByteArray lengthText(QByteArrayView seconds);

}  // namespace tessivar
