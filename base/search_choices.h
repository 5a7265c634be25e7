#pragma once

namespace tessivar {

// Which search-mode option is selected: optLive, optArch or optLib.
enum class SearchMode { Live, Archive, Library };

// The 13 format check boxes, by their setting keys. A box counts as ticked only when its value
// is exactly 1.
struct FormatBoxes
{
  int chkRA = 0;
  int chkMA = 0;
  int chkRV = 0;
  int chkNA = 0;
  int chkNV = 0;
  int chkNF = 0;
  int chkAV = 0;
  int chkAVF = 0;
  int chkWA = 0;
  int chkXDM = 0;
  int chkWAVF = 0;
  int chkMAF = 0;
  int chkMPEG = 0;
};

}  // namespace tessivar
