#pragma once

class QWidget;

namespace tessivar {

// The logical resolution of the screen the widget is on (the primary screen for no widget or
// before it has one; 96 when there is no screen or it reports none).
double screenDpi(const QWidget *widget);

}  // namespace tessivar
