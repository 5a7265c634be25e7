#pragma once

#include <QPixmap>

namespace tessivar::artwork {

inline constexpr int splashWidth = 350;
inline constexpr int splashHeight = 131;

// The product picture of the splash and About windows, 350 × 131 pixels.
QPixmap splashPicture();
// The small product logo of the quick help window.
QPixmap productLogo();

enum class PlayerLogo { Real, Media, StreamWorks };
// A player's logo for the setup dialog's player tabs.
QPixmap playerLogo(PlayerLogo player);

}  // namespace tessivar::artwork
