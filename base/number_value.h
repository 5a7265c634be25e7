#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace tessivar {

// The number value of a text: its leading decimal number, 0 when it has none. Speeds, lengths,
// page numbers and stored numbers are all read this way.
// Leading blanks, tabs and line breaks are skipped; an optional sign, digits and an optional
// decimal point with digits follow; reading stops at the first other character.
//   "56k" -> 56, "Phone Modem 28.8" -> 0, " 12" -> 12, "-3.5x" -> -3.5, ".5" -> 0.5, "Unknown" -> 0
// A number too large for a double gives the largest finite double of its sign; a fraction too
// small for one gives 0.
double numberValue(QStringView text);
// The same for UTF-8 text.
double numberValue(QByteArrayView text);

// numberValue rounded to the nearest whole number (halves to the even neighbour) and clamped to
// the 32-bit range, for counts, pages and limits kept as integers.
int wholeNumberValue(QStringView text);

}  // namespace tessivar
