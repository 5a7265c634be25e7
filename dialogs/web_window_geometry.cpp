#include "dialogs/web_window_geometry.h"

#include "base/settings_store.h"

#include <algorithm>

namespace tessivar::web_window {

namespace {

double stored(const SettingsStore &store, SettingKey key, double fallback)
{
  return store.twips(key, static_cast<float>(fallback)).value_or(static_cast<float>(fallback));
}

}  // namespace

QRectF placeAtLoad(const SettingsStore &store, const QRectF &screen)
{
  const double centredTop = screen.top() + (screen.height() - leastHeight) / 2;
  const double centredLeft = screen.left() + (screen.width() - leastWidth) / 2;
  const double top = std::max(0.0, stored(store, SettingKey::WTop, centredTop));
  const double left = std::max(0.0, stored(store, SettingKey::WLeft, centredLeft));
  const QSizeF size = snapped(
      {stored(store, SettingKey::WWidth, leastWidth), stored(store, SettingKey::WHeight, leastHeight)});
  return {QPointF(left, top), size};
}

QSizeF snapped(const QSizeF &window)
{
  return {std::max(window.width(), leastWidth), std::max(window.height(), leastHeight)};
}

QSizeF browserArea(const QSizeF &window)
{
  return {std::max(0.0, window.width() - browserNarrower), std::max(0.0, window.height() - browserLower)};
}

void storePlace(SettingsStore &store, const QRectF &normal)
{
  store.setTwips(SettingKey::WTop, static_cast<float>(normal.top()));
  store.setTwips(SettingKey::WLeft, static_cast<float>(normal.left()));
  store.setTwips(SettingKey::WWidth, static_cast<float>(normal.width()));
  store.setTwips(SettingKey::WHeight, static_cast<float>(normal.height()));
}

}  // namespace tessivar::web_window
