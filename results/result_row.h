#pragma once

#include <QString>

namespace tessivar {

// One result as the grids show it: a station of a live search or a clip of an archive search or
// browse page. Fields a kind has no cell for are empty.
struct ResultRow
{
  enum class Kind { Station, Clip };

  Kind kind = Kind::Station;
  QString name;       // the station's name or the clip's title
  QString streamUrl;  // the address played
  QString website;
  QString itemId;    // clips: the directory's item number
  QString format;    // stations
  QString location;  // stations
  QString speed;     // as shown
  QString length;    // clips: "[m:s]"
};

}  // namespace tessivar
