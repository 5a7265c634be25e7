#pragma once

#include <QString>

namespace tessivar {

// The search clock's text for the seconds elapsed: minutes ":" seconds, where the minutes are
// "00" below one minute and otherwise "0" followed by the whole minutes, and the seconds have
// two digits. 1 -> "00:01", 75 -> "01:15", 600 -> "010:00".
QString searchClockText(int elapsedSeconds);

}  // namespace tessivar
