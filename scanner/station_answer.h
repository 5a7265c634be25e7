#pragma once

#include <QByteArray>
#include <QString>

namespace tessivar {

// The directory's answer to one station request.
struct StationAnswer
{
  enum class Kind {
    Station,     // the eight fields below
    NoStations,  // "ERROR<BR>": nothing of this style for the player
    EndOfList,   // "EXCEPTION OC": the walk is over
    Unreadable,  // not a station answer (cut short, an error page, a bad position token)
  };
  Kind kind = Kind::Unreadable;
  QString nextPosition;    // 1: LS of the next request
  QString website;         // 2
  QString name;            // 3
  QString streamAddress;   // 4
  QString format;          // 5
  QString locationFirst;   // 6
  QString locationSecond;  // 7
  QString bitRate;         // 8: up to the first "<"; empty without one
};

// Reads an answer: the two markers anywhere in it (in any case), otherwise fields separated by
// "@@@@". A station answer needs all seven separators and a position token of 1 to 100
// characters without blanks, control characters or "@" (it is stored in "LastScan" as
// token + "@" + style).
StationAnswer readStationAnswer(const QByteArray &answer);
// Whether a text is such a position token.
bool isScanPosition(const QString &token);

// The location field: the known parts ("UNKNOWN" in any case is not known), joined by ", ", or
// "Unknown" when neither is known.
QString stationLocation(const QString &first, const QString &second);
// The location's tool tip: both parts joined by ", ".
QString stationLocationToolTip(const QString &first, const QString &second);

// The station's web address when the program may open it (an http or https address), else empty.
QString stationWebLink(const QString &website);

// A server's field as the window shows it: control characters become blanks and a very long
// text is cut to its first 200 characters followed by "..." (199 where the 200th would be half
// of a character beyond the BMP).
QString fieldDisplayText(const QString &field);

}  // namespace tessivar
