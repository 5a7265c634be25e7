#pragma once

#include <QString>

namespace tessivar {

struct StationAnswer;

// What the scan session does to its window (frmScan). The window implements it; tests may too.
class ScanView
{
 public:
  virtual ~ScanView() = default;

  // Status bar panels 1 and 2.
  virtual void setStatusText(int panel, const QString &text) = 0;
  // The status word Label1.
  virtual void setStatusWord(const QString &text) = 0;
  // The four detail fields (and the name's link) for a station.
  virtual void showStation(const StationAnswer &station) = 0;
  // The bit-rate field lblInfo(3).
  virtual void setBitRateText(const QString &text) = 0;
  // The stream's own now-playing title; empty when it sends none.
  virtual void setStreamTitle(const QString &title) = 0;

  virtual void setNextEnabled(bool enabled) = 0;     // cmdNext
  virtual void setPauseEnabled(bool enabled) = 0;    // cmdPause
  virtual void setPresetsEnabled(bool enabled) = 0;  // cmdPresets
  virtual void setPauseCaption(const QString &caption) = 0;
  virtual void showLevelPictures(bool shown) = 0;  // picVol(0) and picVol(1)
  virtual void setLevelFrame(int frame) = 0;       // 1..4

  // The seconds per station in txtS.
  virtual int secondsPerStation() const = 0;
  // Style drop-down and chkU.
  virtual QString style() const = 0;
  virtual bool includeUnknown() const = 0;
  // The station details become visible (Start).
  virtual void showStationArea() = 0;
  // cmdStart shows again while a scan waits to go on, and hides when it does.
  virtual void setStartShown(bool shown) = 0;
  // Playlist mode: the playlist area covers the style area.
  virtual void showPlaylistArea() = 0;

  // The session is over: the window closes.
  virtual void closeWindow() = 0;
};

}  // namespace tessivar
