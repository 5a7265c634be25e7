#pragma once

#include <QString>

namespace tessivar {

// What one station request of the scanner is built from.
struct ScanRequest
{
  QString dataServer;           // host, optionally host:port
  QString style;                // the drop-down's text
  bool includeUnknown = false;  // chkU
  QString position;             // ScanPosition, echoed as LS
  QString connectionSpeed;      // "ConSpeed"
};

// The station request: the start of a client request (see directory_address.h), the style,
// "&GS=1&UNK=", "&LS=" and the position, the speed. The position goes out percent-encoded (it is the server's
// text), the style's "^", "`" and "#" too; blanks become "+".
QString scanAddress(const ScanRequest &request);

}  // namespace tessivar
