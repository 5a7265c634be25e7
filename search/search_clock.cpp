#include "search/search_clock.h"

namespace tessivar {

QString searchClockText(int elapsedSeconds)
{
  const int seconds = elapsedSeconds < 0 ? 0 : elapsedSeconds;
  const QString minutesText =
      seconds < 60 ? QStringLiteral("00") : QLatin1Char('0') + QString::number(seconds / 60);
  const int rest = seconds % 60;
  const QString secondsText = (rest < 10 ? QStringLiteral("0") : QString()) + QString::number(rest);
  return minutesText + QLatin1Char(':') + secondsText;
}

}  // namespace tessivar
