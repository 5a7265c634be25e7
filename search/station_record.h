#pragma once

#include "results/result_layout.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <cstring>
#include <optional>

namespace tessivar {

// One search result as carried in an anchor of a result page. The anchor's text packs the
// fields between two-character markers:
//   archive: name "**" format "&&" location "^^" speed "$$" seconds "~~" id "~$~$" flag "@@" website
//   live:    name "**" format "&&" location "^^" speed "$$" flag "@@" website
// A text without "**" is a name alone. The fields are UTF-8 slices of the address and anchor
// text given to splitStationRecord and are valid only while those live.
struct StationRecord
{
  QByteArrayView StreamURL;    // the anchor's address
  QByteArrayView StationName;  // trimmed when the text has "**"
  QByteArrayView FormatText;
  QByteArrayView Location;
  // The speed as shown is SpeedText followed by a "k" when SpeedGetsK is set: "56k",
  // "Unknown", or empty for a text without "**".
  QByteArrayView SpeedText;
  bool SpeedGetsK = false;
  QByteArrayView LengthSeconds;  // archive layout only
  qint32 ItemID = 0;             // archive layout only; 0 when absent
  QByteArrayView StatusFlag;     // "0", "1" or anything else
  QByteArrayView WebsiteURL;     // "Unknown" or empty when the result has none

  QByteArray speed() const;  // the speed as shown
};

// Splits an anchor's text. A marker that is missing leaves the field before it empty and the
// following fields are looked for from the same place; the website is only what follows "@@".
StationRecord splitStationRecord(QByteArrayView address, QByteArrayView text, ResultLayout layout);
// The same into a record that is reused for many anchors.
void splitStationRecord(QByteArrayView address, QByteArrayView text, ResultLayout layout,
                        StationRecord &record);

// A speed field as shown: a non-zero number gets a "k" appended unless it already ends in a
// lower-case "k" ("56" -> "56k", "56K" -> "56Kk"); "0", empty text and text without a leading
// number become "Unknown".
QByteArray normaliseSpeed(QByteArrayView speed);

// Byte for byte equality, cheap enough to call for every field of every row.
inline bool sameBytes(QByteArrayView a, QByteArrayView b)
{
  return a.size() == b.size() && (a.isEmpty() || std::memcmp(a.data(), b.data(), std::size_t(a.size())) == 0);
}

// UTF-8 text without the white space at either end, white space being what QChar::isSpace
// takes (blanks, tabs, line breaks, no-break and other Unicode spaces).
QByteArrayView trimmedText(QByteArrayView text);

// True when a result of this speed is to be dropped for the user's connection.
bool exceedsConnectionSpeed(QStringView speedText, QStringView connectionSpeed);

}  // namespace tessivar
