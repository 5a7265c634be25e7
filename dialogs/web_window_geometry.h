#pragma once

#include <QRectF>
#include <QSizeF>

namespace tessivar {

class SettingsStore;

// Where the web window goes and how large its browser area is, all in twips.
namespace web_window {

// The window's first size, and the least size a resize snaps back to.
inline constexpr double leastWidth = 3885;
inline constexpr double leastHeight = 3000;
// The browser area is this much narrower and lower than the window.
inline constexpr double browserNarrower = 110;
inline constexpr double browserLower = 700;

// The place at load: "WTop" and "WLeft" (centred on the screen for the first size when absent),
// "WWidth" and "WHeight"; a left or top below 0 moves to 0, a place beyond the right or bottom
// edge stays. A stored value that does not read as a number counts as absent. The size is snapped.
QRectF placeAtLoad(const SettingsStore &store, const QRectF &screen);
// A size no smaller than the least size.
QSizeF snapped(const QSizeF &window);
// The browser area of a window of the given size.
QSizeF browserArea(const QSizeF &window);
// The closing: "WTop", "WLeft", "WWidth", "WHeight" of the window's normal place.
void storePlace(SettingsStore &store, const QRectF &normal);

}  // namespace web_window
}  // namespace tessivar
