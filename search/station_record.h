#pragma once

#include "search/result_layout.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tessivar {

// One search result as carried in an anchor of a result page. The anchor's text packs the
// fields between two-character markers:
//   archive: name "**" format "&&" location "^^" speed "$$" seconds "~~" id "~$~$" flag "@@" website
//   live:    name "**" format "&&" location "^^" speed "$$" flag "@@" website
// A text without "**" is a name alone. The text fields are slices of the address and anchor
// text given to splitStationRecord and are valid only while those live; SpeedText owns its text
// because it is normalised.
struct StationRecord
{
  QStringView StreamURL;    // the anchor's address
  QStringView StationName;  // trimmed when the text has "**"
  QStringView FormatText;
  QStringView Location;
  QString SpeedText;  // "56k", "Unknown", or empty for a text without "**"
  QStringView LengthSeconds;  // archive layout only
  qint32 ItemID = 0;          // archive layout only; 0 when absent
  QStringView StatusFlag;     // "0", "1" or anything else
  QStringView WebsiteURL;     // "Unknown" or empty when the result has none
};

// Splits an anchor's text. A marker that is missing leaves the field before it empty and the
// following fields are looked for from the same place; the website is only what follows "@@".
StationRecord splitStationRecord(QStringView address, QStringView text, ResultLayout layout);

// A speed field as shown: a non-zero number gets a "k" appended unless it already ends in a
// lower-case "k" ("56" -> "56k", "56K" -> "56Kk"); "0", empty text and text without a leading
// number become "Unknown".
QString normaliseSpeed(QStringView speed);

// The highest speed the user's connection takes: "Phone Modem 28.8" 28, "Phone Modem 33.6" 33,
// "Phone Modem 56k" 56, "ISDN 64k" 64, "ISDN 128k" 128, "Cable/DSL" 300; none for any other text.
std::optional<double> connectionSpeedLimit(QStringView connectionSpeed);

// True when a result of this speed is to be dropped for the user's connection.
bool exceedsConnectionSpeed(QStringView speedText, QStringView connectionSpeed);

}  // namespace tessivar
